#include "report/model/pages/PageRequest.h"

#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/StringList.h"

namespace report {

const classes::TMetaClass &TppPageRequest::StaticClass()
{
    using R = TppPageRequest;
    static const classes::TMetaClass meta =
        classes::MakeClass<R, classes::TPersistent>("TppPageRequest", [](classes::TClassBuilder<R> &c) {
            c.Object("PageList", &R::PageList, &R::SetPageList);
            c.Integer("PageRequested", &R::PageRequested, &R::SetPageRequested).Default(1);
            c.Enum("PageSetting", EnumInfo<TppPageSettingType>(), &R::PageSetting, &R::SetPageSetting)
                .Default(TppPageSettingType::psAll);
            c.Enum("PageRange", EnumInfo<TppPageRangeType>(), &R::PageRange, &R::SetPageRange)
                .Default(TppPageRangeType::prAll);
        });
    return meta;
}

TppPageRequest::TppPageRequest()
    : m_pageList(std::make_unique<classes::TStringList>())
{}

TppPageRequest::~TppPageRequest() = default;

void TppPageRequest::Reset()
{
    m_pageList->Clear();
    m_pageRange = TppPageRangeType::prAll;
    m_pageRequested = 1;
    m_pageSetting = TppPageSettingType::psAll;
}

void TppPageRequest::Assign(const classes::TPersistent *source)
{
    const auto *other = dynamic_cast<const TppPageRequest *>(source);
    if (!other) {
        classes::TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    m_pageList->Assign(other->m_pageList.get());
    m_pageRequested = other->m_pageRequested;
    m_pageSetting = other->m_pageSetting;
    m_pageRange = other->m_pageRange;
}

classes::TStrings *TppPageRequest::PageList() const
{
    return m_pageList.get();
}

void TppPageRequest::SetPageList(const classes::TStrings *aList)
{
    if (!aList)
        m_pageList->Clear();
    else if (aList != m_pageList.get())
        m_pageList->Assign(aList);
}

void TppPageRequest::adjustRequestedPage(const TppPage &aPage)
{
    // The number of the last page is the count: a page count that is not
    // yet right on it must not leave the request waiting for a page that
    // never comes.
    if (aPage.LastPage() && aPage.AbsolutePageNo() < m_pageRequested)
        m_pageRequested = aPage.AbsolutePageNo();
    else if (m_pageRequested < 1 && aPage.AbsolutePageNo() == 1)
        m_pageRequested = 1;
}

int32_t TppPageRequest::wantedPage() const
{
    return m_pageSetting == TppPageSettingType::psFirstPage ? 1 : m_pageRequested;
}

bool TppPageRequest::IsRequestedPage(const TppPage &aPage)
{
    bool requested = false;
    switch (m_pageSetting) {
    case TppPageSettingType::psAll: requested = true; break;
    case TppPageSettingType::psPageList:
        requested = m_pageList->IndexOf(QString::number(aPage.AbsolutePageNo())) >= 0;
        break;
    case TppPageSettingType::psSinglePage:
        adjustRequestedPage(aPage);
        requested = aPage.AbsolutePageNo() == m_pageRequested;
        break;
    case TppPageSettingType::psFirstPage: requested = aPage.FirstPage(); break;
    case TppPageSettingType::psLastPage: requested = aPage.LastPage(); break;
    case TppPageSettingType::psPageRange: requested = false; break;
    }
    switch (m_pageRange) {
    case TppPageRangeType::prAll: break;
    case TppPageRangeType::prOddPages: requested = requested && aPage.AbsolutePageNo() % 2 != 0; break;
    case TppPageRangeType::prEvenPages: requested = requested && aPage.AbsolutePageNo() % 2 == 0; break;
    }
    return requested;
}

bool TppPageRequest::IsCompletedBy(const TppPage &aPage)
{
    switch (m_pageSetting) {
    case TppPageSettingType::psAll:
    case TppPageSettingType::psLastPage: return aPage.LastPage();
    case TppPageSettingType::psPageList: {
        // Every copy of the number goes: a page listed twice passes once.
        const QString number = QString::number(aPage.AbsolutePageNo());
        for (int i = m_pageList->Count() - 1; i >= 0; --i)
            if (m_pageList->Get(i) == number)
                m_pageList->Delete(i);
        // Entries that no page of this run can meet (past the last page,
        // below 1, no number at all) would keep the request open for ever.
        if (aPage.LastPage())
            for (int i = m_pageList->Count() - 1; i >= 0; --i) {
                bool ok = false;
                const qlonglong listed = m_pageList->Get(i).toLongLong(&ok);
                if (!ok || listed < 1 || listed > aPage.AbsolutePageNo())
                    m_pageList->Delete(i);
            }
        return m_pageList->Count() == 0;
    }
    case TppPageSettingType::psSinglePage: adjustRequestedPage(aPage); return aPage.AbsolutePageNo() == m_pageRequested;
    case TppPageSettingType::psFirstPage: return aPage.FirstPage();
    case TppPageSettingType::psPageRange: return false;
    }
    return false;
}

void TppPageRequest::Merge(const TppPageRequest &aOther)
{
    const bool otherWantsOne = aOther.m_pageSetting == TppPageSettingType::psSinglePage ||
                               aOther.m_pageSetting == TppPageSettingType::psFirstPage;
    if (!otherWantsOne) {
        m_pageSetting = TppPageSettingType::psAll;
        return;
    }
    const int32_t page = aOther.wantedPage();
    switch (m_pageSetting) {
    case TppPageSettingType::psSinglePage:
    case TppPageSettingType::psFirstPage:
        if (wantedPage() != page) {
            const int32_t own = wantedPage();
            m_pageList->Clear();
            m_pageList->Add(QString::number(own));
            m_pageList->Add(QString::number(page));
            m_pageSetting = TppPageSettingType::psPageList;
        }
        break;
    case TppPageSettingType::psPageList:
        if (m_pageList->IndexOf(QString::number(page)) < 0)
            m_pageList->Add(QString::number(page));
        break;
    case TppPageSettingType::psLastPage:
    case TppPageSettingType::psPageRange:
        // No list can say "the last page" or a range: only all pages serve
        // both wishes.
        m_pageSetting = TppPageSettingType::psAll;
        break;
    case TppPageSettingType::psAll: break;
    }
}

} // namespace report
