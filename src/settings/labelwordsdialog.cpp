#include "labelwordsdialog.h"

#include "shell/columnlayout.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

LabelWordsDialog::LabelWordsDialog(QWidget *parent)
    : QDialog(parent),
      m_byLabels(new QCheckBox(QStringLiteral("どのｾｯﾄにも合わない図面は項目名から読む")))
{
    setWindowTitle(QStringLiteral("項目名"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_byLabels);
    layout->addWidget(
        new QLabel(QStringLiteral("表題欄でその項目を示す語を 1 行に 1 つ。空白・点・コロン、"
                                  "全角と半角、英字の大文字と小文字は区別しません。")));
    auto *grid = new QGridLayout;
    for (int field = 0; field < TitleLabels::Fields; ++field) {
        auto *box = new QPlainTextEdit;
        box->setTabChangesFocus(true);
        box->setMinimumWidth(
            box->fontMetrics().horizontalAdvance(QStringLiteral("SURFACE TREATMENT")) + 24);
        box->setFixedHeight(box->fontMetrics().lineSpacing() * 6 + 12);
        m_words[std::size_t(field)] = box;
        grid->addWidget(new QLabel(ColumnLayout::title(field)), (field / 3) * 2, field % 3);
        grid->addWidget(box, (field / 3) * 2 + 1, field % 3);
    }
    layout->addLayout(grid);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto *defaults =
        buttons->addButton(QStringLiteral("初期値に戻す"), QDialogButtonBox::ResetRole);
    connect(defaults, &QPushButton::clicked, this,
            [this] { setValues(TitleLabels::defaultWords(), m_byLabels->isChecked()); });
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void LabelWordsDialog::setValues(const std::array<QStringList, TitleLabels::Fields> &words,
                                 bool byLabels)
{
    m_byLabels->setChecked(byLabels);
    for (std::size_t field = 0; field < m_words.size(); ++field) {
        m_words[field]->setPlainText(words[field].join(QLatin1Char('\n')));
    }
}

std::array<QStringList, TitleLabels::Fields> LabelWordsDialog::words() const
{
    std::array<QStringList, TitleLabels::Fields> result;
    for (std::size_t field = 0; field < m_words.size(); ++field) {
        const QStringList lines = m_words[field]->toPlainText().split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            if (!line.trimmed().isEmpty()) {
                result[field].append(line.trimmed());
            }
        }
    }
    return result;
}

bool LabelWordsDialog::byLabels() const
{
    return m_byLabels->isChecked();
}
