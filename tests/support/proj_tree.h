#pragma once
// The sample tree of the path-form tables: a folder Proj holding "a b.txt"
// (1234 bytes), an empty "empty.dat" and "src\main.c" (56789 bytes).

#include "support/scratch_folder.h"

#include <string>

namespace lumbrix::test {

struct ProjTree {
    std::wstring data; // the folder that holds Proj (C:\Data in the tables)
    std::wstring proj; // data + "\Proj"
};

// Builds the tree in scratch, below the folder under (empty: directly in scratch).
inline ProjTree MakeProjTree(const ScratchFolder& scratch, const std::wstring& under = std::wstring())
{
    const std::wstring prefix = under.empty() ? std::wstring() : under + L"\\";
    ProjTree tree;
    tree.data = under.empty() ? scratch.path() : scratch.AddFolder(under);
    tree.proj = scratch.AddFolder(prefix + L"Proj");
    scratch.AddFileOfSize(prefix + L"Proj\\a b.txt", 1234);
    scratch.AddFile(prefix + L"Proj\\empty.dat");
    scratch.AddFileOfSize(prefix + L"Proj\\src\\main.c", 56789);
    return tree;
}

} // namespace lumbrix::test
