#pragma once

#include <QTreeView>
#include <vector>

class SearchResultModel;

// The report list of the search window: one row per contact, the contact's ID as the row's tag.
// Fits its columns over every row, however many, without measuring each text.
class SearchResultList : public QTreeView
{
    Q_OBJECT

public:
    SearchResultList(SearchResultModel *model, QWidget *parent = nullptr);

    // Sorts the rows by one column, ascending, as a click on its heading does.
    void orderByColumn(int column);
    // Fits each column to its heading and contents, but no wider than maxWidth pixels.
    void fitColumns(int maxWidth);

protected:
    int sizeHintForColumn(int column) const override;

private:
    // For each column, the rows whose texts are estimated widest; one pass over every row.
    std::vector<std::vector<int>> widestRows(int candidates) const;

    SearchResultModel *m_model;
    // Set while fitColumns() runs.
    std::vector<std::vector<int>> m_widest;
};
