// tavo-extract: the title extraction without a window, for scripts.
#include "extract/batchextraction.h"
#include "extract/titleextractor.h"
#include "listfile/partslistfile.h"
#include "listfile/partslistwriter.h"
#include "platform/qsettingsstore.h"
#include "print/pdfexport.h"
#include "settings/positionsettings.h"
#include "shell/tablemodel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

enum ExitCode { Success = 0, SomeFilesUnread = 1, UsageError = 2 };

void printError(const QString &text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
}

bool writeOutput(const QString &path, const QByteArray &bytes, QString &error)
{
    if (path.isEmpty() || path == QLatin1String("-")) {
#ifdef Q_OS_WIN
        // Keep CR LF as written: a text-mode console would add a CR to each.
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
            error = QStringLiteral("標準出力に書き込めません");
            return false;
        }
        return true;
    }
    const QString reason = PartsListFile::write(path, bytes);
    if (!reason.isEmpty()) {
        error = QStringLiteral("%1 に書き込めません（%2）").arg(path, reason);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // The PDF needs fonts, hence a GUI application; it never shows a window,
    // so it needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavo-extract"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("図面ファイルの表題を部品表ファイルの形式で出力します。\n"
                       "Prints the title fields of drawings as a parts list."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption xyOption(
        QStringLiteral("xy"),
        QStringLiteral("表題の位置 (図番, 品名, 材料, 表面処理, 個数, 備考 の順に X,Y)。"
                       "省略時は保存された設定。"),
        QStringLiteral("X1,Y1,...,X6,Y6"));
    const QCommandLineOption outputOption({QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("出力先のファイル（省略時は標準出力）"),
                                          QStringLiteral("FILE"));
    const QCommandLineOption utf8Option(QStringLiteral("utf8"),
                                        QStringLiteral("UTF-8 で出力する（既定はシフトJIS）"));
    const QCommandLineOption listOption(
        QStringLiteral("list"),
        QStringLiteral("この部品表ファイルの行から始める（-o に同じファイルも可）"),
        QStringLiteral("FILE"));
    const QCommandLineOption pdfOption(QStringLiteral("pdf"),
                                       QStringLiteral("部品表の全ページを PDF にも書き出す"),
                                       QStringLiteral("FILE"));
    parser.addOption(listOption);
    parser.addOption(pdfOption);
    parser.addOption(xyOption);
    parser.addOption(outputOption);
    parser.addOption(utf8Option);
    parser.addPositionalArgument(QStringLiteral("DRAWING"), QStringLiteral("図面ファイル"),
                                 QStringLiteral("DRAWING..."));

    const QString usage = QStringLiteral("使いかた: tavo-extract [--xy X1,Y1,...,X6,Y6] [--list "
                                         "FILE] [-o FILE] [--utf8] [--pdf FILE] "
                                         "DRAWING...");
    if (!parser.parse(QCoreApplication::arguments())) {
        printError(parser.errorText());
        printError(usage);
        return UsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(Success);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    const QStringList drawings = parser.positionalArguments();
    if (drawings.isEmpty() && !parser.isSet(listOption)) {
        printError(QStringLiteral("図面ファイルを指定してください。"));
        printError(usage);
        return UsageError;
    }

    std::array<QString, 12> positions;
    if (parser.isSet(xyOption)) {
        const QStringList values = parser.value(xyOption).split(QLatin1Char(','));
        if (values.size() != 12) {
            printError(QStringLiteral("--xy には 12 個の値をコンマで区切って指定してください。"));
            printError(usage);
            return UsageError;
        }
        std::copy(values.begin(), values.end(), positions.begin());
    } else {
        QSettingsStore store;
        PositionSettings settings(store);
        settings.LoadPositionSettings();
        positions = settings.XYPos;
    }

    BatchExtraction batch(positions);
    if (parser.isSet(listOption)) {
        // Read first, as Open does: a list that cannot be read writes nothing.
        const QString listPath = parser.value(listOption);
        const PartsListFile::ReadResult list = PartsListFile::read(listPath);
        if (!list.ok()) {
            printError(QStringLiteral("%1: %2").arg(listPath, list.error));
            return UsageError;
        }
        if (list.truncation) {
            printError(QStringLiteral("%1: %2").arg(listPath,
                                                    PartsListReader::describe(*list.truncation)));
        }
        batch.rows = list.rows;
    }
    batch.addDrawings(drawings);
    for (const BatchExtraction::Problem &problem : batch.problems) {
        printError(QStringLiteral("%1: %2").arg(problem.path, problem.reason));
    }
    for (const QString &path : batch.drawingsWithoutText) {
        printError(QStringLiteral("%1: %2").arg(path, TitleExtractor::noTextNotice()));
    }
    const bool utf8 = parser.isSet(utf8Option);
    QByteArray bytes;
    if (utf8) {
        bytes = PartsListWriter::encodeUtf8(batch.rows);
    } else {
        const PartsListWriter::Encoded encoded = PartsListWriter::encode(batch.rows);
        bytes = encoded.bytes;
        for (const QString &path : batch.drawingsWithUnencodable) {
            printError(QStringLiteral("%1: シフトJISにない文字を \"?\" にしました").arg(path));
        }
        if (batch.drawingsWithUnencodable.isEmpty() && !encoded.unencodable.isEmpty()) {
            printError(QStringLiteral("シフトJISにない文字を \"?\" にしました:\n") +
                       PartsListWriter::describe(encoded.unencodable));
        }
    }
    QString error;
    if (!writeOutput(parser.value(outputOption), bytes, error)) {
        printError(error);
        return SomeFilesUnread;
    }
    if (parser.isSet(pdfOption)) {
        TableModel table;
        table.SetupGridColumns();
        table.setDataRows(batch.rows);
        const QString pdfError = writePartsListPdf(table, parser.value(pdfOption));
        if (!pdfError.isEmpty()) {
            printError(QStringLiteral("%1 に PDF を書き込めません（%2）")
                           .arg(parser.value(pdfOption), pdfError));
            return SomeFilesUnread;
        }
    }
    return batch.problems.isEmpty() ? Success : SomeFilesUnread;
}
