#pragma once

#include "extract/drawingtexts.h"

#include <QAbstractTableModel>

#include <array>
#include <optional>

// The texts of one drawing as a list: file order, X, Y, the text and the
// field a drop would capture it into. Sorting by a number column sorts by
// the number (SortRole), not by its digits.
class DrawingTextsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Order, X, Y, Text, Field, ColumnCount };
    static constexpr int SortRole = Qt::UserRole;

    explicit DrawingTextsModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    void setTexts(QList<DrawingTexts::Text> texts);
    const QList<DrawingTexts::Text> &texts() const { return m_texts; }
    // The texts each field would capture (DrawingTexts::captured).
    void setCaptured(const std::array<std::optional<qsizetype>, 6> &captured);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A coordinate as the user reads and types it.
    static QString number(double value);

private:
    QString fieldsOf(qsizetype row) const;

    QList<DrawingTexts::Text> m_texts;
    std::array<std::optional<qsizetype>, 6> m_captured;
};
