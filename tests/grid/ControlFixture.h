#pragma once

// The text-node tree list on a recording host with a fixed-width measurer,
// with helpers that build columns, bands and nodes from short lists.

#include "TreeListFixture.h"

#include "grid/core/TreeListControl.h"

#include <memory>

namespace gridtest {

struct ControlFixture
{
    ControlFixture()
        : tree(std::make_unique<grid::TCustomdxTreeListControl>(nullptr))
    {
        tree->SetHost(&host);
    }
    ~ControlFixture() { tree.reset(); }

    grid::TdxTreeListColumn *column(const QString &caption, int band = 0, int row = 0)
    {
        auto *c = tree->CreateColumn(grid::TdxTreeListColumn::StaticClass());
        c->SetCaption(caption);
        c->SetBandIndex(band);
        c->SetRowIndex(row);
        return c;
    }
    // A node under parent (or top-level) with the texts given per column.
    grid::TdxTreeListNode *node(const QStringList &texts, grid::TdxTreeListNode *parent = nullptr)
    {
        grid::TdxTreeListNode *n = parent ? parent->AddChild() : tree->Add();
        for (int i = 0; i < texts.size(); ++i)
            tree->SetNodeString(n, i, texts[i]);
        return n;
    }
    // Texts of the top-level nodes (or a node's children) in one column.
    QStringList order(int column, grid::TdxTreeListNode *parent = nullptr) const
    {
        QStringList texts;
        const int count = parent ? parent->Count() : tree->Count();
        for (int i = 0; i < count; ++i)
            texts << tree->GetNodeString(parent ? parent->Items(i) : tree->Items(i), column);
        return texts;
    }
    QStringList captions() const
    {
        QStringList list;
        for (int i = 0; i < tree->ColumnCount(); ++i)
            list << tree->Columns(i)->Caption();
        return list;
    }
    std::vector<int> bandIndexes() const
    {
        std::vector<int> list;
        for (int i = 0; i < tree->ColumnCount(); ++i)
            list.push_back(tree->Columns(i)->BandIndex());
        return list;
    }

    FakeTreeListHost host;
    std::unique_ptr<grid::TCustomdxTreeListControl> tree;
};

} // namespace gridtest
