#include "job/result_arrangement.h"

#include "common/progress_report.h"
#include "job/result_list.h"

namespace lumbrix {

bool ArrangeResults(ResultList& lines, ProgressReport& report)
{
    if (lines.Arranged()) return true;
    report.StatusText().Set(L"並べ替えています");
    report.DetailText().Clear();
    report.SetPosition(0);
    report.SetRange(ResultList::ArrangeSteps(lines.size()));
    report.Redraw();
    return lines.Arrange(ArrangeWatch{&report.RunningFlag(), &report.PositionCounter()});
}

} // namespace lumbrix
