#include "job/result_arrangement.h"

#include "common/progress_report.h"
#include "common/text_table.h"
#include "job/result_list.h"

namespace lumbrix {

bool ArrangeResults(ResultList& lines, ProgressReport& report)
{
    if (lines.Arranged()) return true;
    report.StatusText().Set(Text(IDS_STEP_SORTING));
    report.DetailText().Clear();
    report.SetPosition(0);
    report.SetRange(ResultList::ArrangeSteps(lines.size()));
    report.Redraw();
    return lines.Arrange(ArrangeWatch{&report.RunningFlag(), &report.PositionCounter()});
}

} // namespace lumbrix
