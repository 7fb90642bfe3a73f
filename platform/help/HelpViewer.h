#pragma once

// The help window: the book's pages in a text browser beside a navigation
// panel with the contents tree and the keyword index.

#include "platform/help/HelpBook.h"

#include <QWidget>

#include <memory>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace help {

class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    explicit HelpViewer(std::shared_ptr<const HelpBook> book, QWidget *parent = nullptr);
    ~HelpViewer() override;

    const HelpBook &book() const { return *m_book; }

    // Shows a page of the book (the default page when empty); a missing page
    // shows a notice in its place.
    void showPage(const QString &page);
    // The contents tab beside the default page.
    void showContents();
    // The index tab at the first keyword that begins with the text, with that
    // keyword's page.
    void showIndex(const QString &keyword);

    // The page on show, as named in the book; empty when a notice shows.
    QString currentPage() const { return m_currentPage; }

    QTextBrowser *browser() const { return m_browser; }
    QTabWidget *navigation() const { return m_navigation; }
    QTreeWidget *contentsTree() const { return m_contentsTree; }
    QLineEdit *indexEdit() const { return m_indexEdit; }
    QListWidget *indexList() const { return m_indexList; }

private:
    // Before the first show: the window's outer size within the desktop's
    // work area, centred in it.
    void placeWithinWorkArea();
    void showAndActivate();
    void buildContents();
    void buildIndex();
    void selectContentsEntry(const QString &page);
    void indexTextEdited(const QString &text);
    void openIndexEntry(int row);
    void linkClicked(const QUrl &url);

    std::shared_ptr<const HelpBook> m_book;
    QString m_currentPage;
    QTabWidget *m_navigation = nullptr;
    QTreeWidget *m_contentsTree = nullptr;
    QLineEdit *m_indexEdit = nullptr;
    QListWidget *m_indexList = nullptr;
    QTextBrowser *m_browser = nullptr;
    bool m_placed = false;
};

} // namespace help
