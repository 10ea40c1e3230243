#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// Finds the title fields of a drawing by the words its title block writes
// beside them (図番, 品名 …), wherever the block stands on the sheet.
class TitleLabels
{
public:
    static constexpr int Fields = 6;
    // A label of no field of ours (尺度, 設計 …): its value must not be taken.
    static constexpr int Other = Fields;
    // Longer texts are never labels; spares decoding them all.
    static constexpr qsizetype maxLabelLength = 40;

    // Per field, in column order, one word a line as the user keeps them.
    static std::array<QStringList, Fields> defaultWords();

    TitleLabels();
    explicit TitleLabels(const std::array<QStringList, Fields> &words);

    const std::array<QStringList, Fields> &words() const { return m_words; }

    // Blanks, dots, colons, apostrophes and middle dots dropped, full- and
    // half-width forms made one, Latin letters without case.
    static QString normalised(const QString &text);
    // The field `text` labels, Other, or none when it is no label.
    std::optional<int> kindOf(const QString &text) const;

    struct Anchor
    {
        double x = 0;
        double y = 0;
        double height = 0;
    };

    // Gathers one drawing's labels, then is offered every other text and
    // keeps, for each label, the nearest text that belongs to it.
    class Matcher
    {
    public:
        // A sheet with more labels than this is not read by its labels: the
        // cost grows with labels times texts, and a title block has a few dozen.
        static constexpr qsizetype maxLabels = 200;

        // False once there are too many labels.
        bool addLabel(int kind, const Anchor &at);
        bool hasLabelOf(int kind) const;
        // The label the text now is the best value of, or none.
        std::optional<qsizetype> offer(const Anchor &at);
        // Per field the label whose value fills it, or none.
        std::array<std::optional<qsizetype>, Fields> chosen() const;

    private:
        std::optional<qsizetype> owner(const Anchor &at) const;

        struct Label
        {
            int kind;
            Anchor at;
            double valueDistance = -1; // none yet
        };
        std::vector<Label> m_labels;
    };

    // A drawing in memory: per field the index of the text that fills it.
    struct Found
    {
        std::array<std::optional<qsizetype>, Fields> values;
    };
    template <typename Texts> Found find(const Texts &texts) const
    {
        Found found;
        Matcher matcher;
        std::vector<bool> isLabel(std::size_t(texts.size()), false);
        for (qsizetype index = 0; index < texts.size(); ++index) {
            const auto &text = texts[index];
            if (const std::optional<int> kind = kindOf(text.text)) {
                isLabel[std::size_t(index)] = true;
                if (!matcher.addLabel(*kind, {text.x, text.y, text.height})) {
                    return found;
                }
            }
        }
        std::vector<qsizetype> best;
        for (qsizetype index = 0; index < texts.size(); ++index) {
            const auto &text = texts[index];
            if (isLabel[std::size_t(index)] || text.text.trimmed().isEmpty()) {
                continue;
            }
            if (const std::optional<qsizetype> label =
                    matcher.offer({text.x, text.y, text.height})) {
                if (best.size() <= std::size_t(*label)) {
                    best.resize(std::size_t(*label) + 1, -1);
                }
                best[std::size_t(*label)] = index;
            }
        }
        const auto chosen = matcher.chosen();
        for (std::size_t field = 0; field < chosen.size(); ++field) {
            if (chosen[field]) {
                found.values[field] = best[std::size_t(*chosen[field])];
            }
        }
        return found;
    }

private:
    std::array<QStringList, Fields> m_words;
    QHash<QString, int> m_kinds; // normalised word -> field or Other
};
