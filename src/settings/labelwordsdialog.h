#pragma once

#include "extract/titlelabels.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QPlainTextEdit;

// 「項目名」: the words that name each title field in a title block, one a
// line, and whether drawings no set fits are read by them.
class LabelWordsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LabelWordsDialog(QWidget *parent);

    void setValues(const std::array<QStringList, TitleLabels::Fields> &words, bool byLabels);
    std::array<QStringList, TitleLabels::Fields> words() const;
    bool byLabels() const;

private:
    QCheckBox *m_byLabels;
    std::array<QPlainTextEdit *, TitleLabels::Fields> m_words{};
};
