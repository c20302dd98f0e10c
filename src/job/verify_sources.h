#pragma once
// Where a verification's entries come from: a checksum file, or the
// clipboard's digests joined with the selected files.

#include "job/checksum_list_file.h"
#include "job/checksum_list_reader.h"
#include "job/checksum_store.h"

#include <string>

namespace lumbrix {

class ProgressReport;
class ResultList;
class SelectionList;

// Reads the checksum file at listPath into store, its entries relative to
// its own folder, with the bar over the file's size. Failed: the thread's
// last error says why.
[[nodiscard]] ListFileOutcome ReadVerifyList(const std::wstring& listPath, ChecksumStore& store,
                                             ProgressReport& report, ListFileCounts& counts) noexcept;

// Joins the selected files (files: their full paths, as the expansion gave
// them) with what the clipboard held. SingleDigest: one entry per file with
// the digest single. List: the entries that name neither a selected item
// nor something below a selected folder are left out (NotChecked), and each
// file that no entry names is added as NotListed. files is emptied. False
// when the job was cancelled. Throws std::bad_alloc.
[[nodiscard]] bool JoinSelectedFiles(ChecksumStore& store, ChecksumTextKind kind, const ChecksumDigest& single,
                                     const SelectionList& selection, ResultList& files, ProgressReport& report);

} // namespace lumbrix
