#pragma once

#include <QTranslator>

// Japanese for the texts of Qt's print dialog that Qt's own Japanese
// translation leaves in English (the "Pages" choice, the duplex choices and
// the box about a badly written page list). Installed after Qt's
// translation, it is asked first and passes every other text on.
class PrintDialogTranslator : public QTranslator
{
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText,
                      const char *disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};
