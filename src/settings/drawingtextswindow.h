#pragma once

#include "extract/drawingtexts.h"

#include <QWidget>

#include <array>
#include <optional>

class DrawingTextsModel;
class DrawingTextsView;
class PositionsWindow;
class QAbstractButton;
class QLabel;
class QLayout;
class QSortFilterProxyModel;
class QSplitter;
class QTableView;

// 「図面の文字」: one drawing's texts drawn where they stand and listed beside,
// with the capture squares of the positions now in the settings window's
// boxes. Pick a field, click a text, and its X and Y go into that field's
// boxes as if typed; nothing is stored until ｾｯﾄ.
class DrawingTextsWindow : public QWidget
{
    Q_OBJECT

public:
    // Belongs to `positions` and closes with it.
    explicit DrawingTextsWindow(PositionsWindow &positions);

    // A size that fits the screen, beside `owner` where there is room.
    void placeBeside(const QWidget &owner);

    void setDrawing(const QString &path, QList<DrawingTexts::Text> texts);

    // The field a click assigns to, or none.
    void pickField(std::optional<int> field);
    std::optional<int> pickedField() const;

    DrawingTextsView *view() const { return m_view; }
    QTableView *list() const { return m_list; }
    // What the six fields would get: 図番=… 品名=… …
    QString summary() const;
    // 「項目名から探す」: each field the labels find gets its value's position.
    void findByLabels();
    QString hint() const;
    // What the last pick or search did, in a sentence.
    QString status() const;

protected:
    // A drawing dropped here opens as one dropped on the settings window.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QLayout *makePickRow();
    QWidget *makeLists();
    QLayout *makeFoot();
    void fitListColumns();
    void positionsEdited();
    void textClicked(qsizetype index);
    void pointClicked(const QPointF &point);
    void textHovered(std::optional<qsizetype> index);
    void listRowChanged();
    void selectInList(qsizetype index);

    PositionsWindow &m_positions;
    DrawingTextsModel *m_model;
    QSortFilterProxyModel *m_sorted;
    DrawingTextsView *m_view;
    QTableView *m_list;
    std::array<QAbstractButton *, 6> m_fieldButtons{};
    QLabel *m_summary;
    QLabel *m_hover;
    QLabel *m_status;
    QSplitter *m_splitter = nullptr;
    bool m_syncing = false;
};
