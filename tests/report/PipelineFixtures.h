#pragma once

// Small data sets for the pipeline tests and a walk that records what a
// traversal visits, the way the engine drives it.

#include "ModelObjects.h"

#include "tests/support/report/MemoryPipeline.h"

#include <QList>

#include <memory>

namespace pipelinetest {

using modeltest::readText;

using reporttest::MemoryPipeline;

// Records with "Id" 0 .. aCount - 1.
inline std::unique_ptr<MemoryPipeline> numbers(int aCount, classes::TComponent *aOwner = nullptr)
{
    auto p = std::make_unique<MemoryPipeline>(aOwner);
    p->AddField(QStringLiteral("Id"), report::TppDataType::dtInteger);
    for (int i = 0; i < aCount; ++i)
        p->AddRow({i});
    return p;
}

// The "Id" of every record from First to Eof; stops after aLimit records.
inline QList<int> walk(report::TppDataPipeline &aPipeline, int aLimit = 1000)
{
    QList<int> ids;
    aPipeline.First();
    while (!aPipeline.Eof() && aLimit-- > 0) {
        ids.append(aPipeline.GetFieldValue(QStringLiteral("Id")).toInt());
        aPipeline.Next();
    }
    return ids;
}

// Customers 1 to 5 and their orders; customers 2 and 4 have none.
struct Orders
{
    Orders()
    {
        customers.AddField(QStringLiteral("Id"), report::TppDataType::dtInteger);
        customers.AddField(QStringLiteral("Name"));
        for (int id = 1; id <= 5; ++id)
            customers.AddRow({id, QStringLiteral("C%1").arg(id)});
        orders.AddField(QStringLiteral("Id"), report::TppDataType::dtInteger);
        orders.AddField(QStringLiteral("CustId"), report::TppDataType::dtInteger);
        const int custIds[] = {5, 1, 3, 5, 1, 5};
        for (int i = 0; i < 6; ++i)
            orders.AddRow({100 + i, custIds[i]});
        orders.AddLink(QStringLiteral("Id"), QStringLiteral("CustId"));
        orders.SetMasterDataPipeline(&customers);
    }
    void init()
    {
        const report::TppDataPipelineVector all{&customers, &orders};
        customers.InitTraversal(all);
        orders.InitTraversal(all);
    }
    // "customer:order,order" for every customer the master walk visits.
    QStringList walkBoth()
    {
        QStringList visited;
        customers.First();
        for (int guard = 0; !customers.Eof() && guard < 100; ++guard) {
            QString line = customers.GetFieldAsString(QStringLiteral("Id")) + ":";
            orders.First();
            QStringList ids;
            for (int inner = 0; !orders.Eof() && inner < 100; ++inner) {
                ids.append(orders.GetFieldAsString(QStringLiteral("Id")));
                orders.Next();
            }
            visited.append(line + ids.join(u','));
            customers.Next();
        }
        return visited;
    }

    MemoryPipeline customers;
    MemoryPipeline orders;
};

} // namespace pipelinetest
