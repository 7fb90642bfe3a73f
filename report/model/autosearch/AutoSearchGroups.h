#pragma once

// The auto-search fields sorted by the description of their data pipeline:
// each TppAutoSearchGroup becomes one page of the search dialog, in
// TabOrder. A group lists the report's own fields without owning them; the
// copies an Assign makes are its children and go with it.

#include "report/model/objects/Relative.h"

#include <QString>

#include <vector>

namespace report {

class TppAutoSearchField;

class TppAutoSearchGroup : public TppRelative
{
    ZVO_CLASS(TppAutoSearchGroup)
public:
    explicit TppAutoSearchGroup(classes::TComponent *aOwner = nullptr);
    // Writes TabOrder back into the first field's pipeline, so that a page
    // order chosen in the dialog holds for the next run; frees only the
    // fields that are its own children.
    ~TppAutoSearchGroup() override;

    const QString &Description() const { return m_description; }
    void SetDescription(const QString &aValue) { m_description = aValue; }
    int32_t TabOrder() const { return m_tabOrder; }
    void SetTabOrder(int32_t aValue) { m_tabOrder = aValue; }

    // Lists the field last, leaving its parent as it is.
    void AddField(TppAutoSearchField *aField);
    int FieldCount() const { return ChildCount(); }
    TppAutoSearchField *Fields(int aIndex) const;
    // Description, TabOrder, and a copy of every field.
    void Assign(const classes::TPersistent *aSource) override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

private:
    QString m_description;
    int32_t m_tabOrder = 0;
};

class TppAutoSearchGroups : public TppRelative
{
    ZVO_CLASS(TppAutoSearchGroups)
public:
    explicit TppAutoSearchGroups(classes::TComponent *aOwner = nullptr);
    ~TppAutoSearchGroups() override;

    // Frees the groups, then files each field of the list, in order, under
    // its pipeline's "Description" (published property, '' without one); the
    // group takes the pipeline's "AutoSearchTabOrder", the last field
    // deciding.
    virtual void CreateGroups(const std::vector<TppAutoSearchField *> &aFields);
    int GroupCount() const { return ChildCount(); }
    TppAutoSearchGroup *Groups(int aIndex) const;
    // New groups, each a copy of the source's.
    void Assign(const classes::TPersistent *aSource) override;

private:
    void freeGroups();
};

// The pipeline's published "Description" and "AutoSearchTabOrder", read by
// name: '' and 0 for a pipeline that has none.
QString ppAutoSearchPipelineDescription(const classes::TPersistent *aPipeline);
int32_t ppAutoSearchPipelineTabOrder(const classes::TPersistent *aPipeline);

} // namespace report
