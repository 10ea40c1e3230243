#include "drawingtextsmodel.h"

#include "shell/columnlayout.h"

#include <QLocale>

#include <set>

QString DrawingTextsModel::number(double value)
{
    // In the user's locale, as the position boxes read it, and never with
    // group separators, which a German "1.234" would turn into a thousand.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

void DrawingTextsModel::setTexts(QList<DrawingTexts::Text> texts)
{
    beginResetModel();
    m_texts = std::move(texts);
    m_captured = {};
    endResetModel();
}

void DrawingTextsModel::setCaptured(const std::array<std::optional<qsizetype>, 6> &captured)
{
    std::set<qsizetype> changed;
    for (std::size_t field = 0; field < captured.size(); ++field) {
        if (captured[field] != m_captured[field]) {
            for (const std::optional<qsizetype> &row : {captured[field], m_captured[field]}) {
                if (row) {
                    changed.insert(*row);
                }
            }
        }
    }
    m_captured = captured;
    // Row by row: one range over 100,000 rows would make the sorting proxy look at each.
    for (const qsizetype row : changed) {
        Q_EMIT dataChanged(index(int(row), Field), index(int(row), Field));
    }
}

int DrawingTextsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_texts.size());
}

int DrawingTextsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString DrawingTextsModel::fieldsOf(qsizetype row) const
{
    QStringList fields;
    for (int field = 0; field < ColumnLayout::Count; ++field) {
        if (m_captured[std::size_t(field)] == row) {
            fields.append(ColumnLayout::title(field));
        }
    }
    return fields.join(QStringLiteral("・"));
}

QVariant DrawingTextsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_texts.size()) {
        return {};
    }
    const DrawingTexts::Text &text = m_texts[index.row()];
    if (role == Qt::DisplayRole || role == SortRole) {
        const bool display = role == Qt::DisplayRole;
        switch (index.column()) {
        case Order:
            return index.row() + 1;
        case X:
            return display ? QVariant(number(text.x)) : QVariant(text.x);
        case Y:
            return display ? QVariant(number(text.y)) : QVariant(text.y);
        case Text:
            return text.text;
        case Field:
            return fieldsOf(index.row());
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() <= Y) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant DrawingTextsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const std::array<QString, ColumnCount> titles = {
        QStringLiteral("順"), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("文字"),
        QStringLiteral("取り込み先")};
    return section >= 0 && section < ColumnCount ? QVariant(titles[std::size_t(section)])
                                                 : QVariant();
}
