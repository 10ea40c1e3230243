// tavo-extract: the title extraction without a window, for scripts.
#include "extract/batchextraction.h"
#include "listfile/partslistformat.h"
#include "platform/qsettingsstore.h"
#include "settings/positionsettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("%1 に書き込めません（%2）").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
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
    parser.addOption(xyOption);
    parser.addOption(outputOption);
    parser.addOption(utf8Option);
    parser.addPositionalArgument(QStringLiteral("DRAWING"), QStringLiteral("図面ファイル"),
                                 QStringLiteral("DRAWING..."));

    const QString usage = QStringLiteral(
        "使いかた: tavo-extract [--xy X1,Y1,...,X6,Y6] [-o FILE] [--utf8] DRAWING...");
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
    if (drawings.isEmpty()) {
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
    batch.addDrawings(drawings);
    for (const BatchExtraction::Problem &problem : batch.problems) {
        printError(QStringLiteral("%1: %2").arg(problem.path, problem.reason));
    }
    const bool utf8 = parser.isSet(utf8Option);
    if (!utf8) {
        for (const QString &path : batch.drawingsWithUnencodable) {
            printError(QStringLiteral("%1: シフトJISにない文字を \"?\" にしました").arg(path));
        }
    }
    const PartsListFormat::Encoded encoded =
        PartsListFormat::encode(batch.rows, utf8 ? PartsListFormat::Encoding::Utf8
                                                 : PartsListFormat::Encoding::CodePage932);
    QString error;
    if (!writeOutput(parser.value(outputOption), encoded.bytes, error)) {
        printError(error);
        return SomeFilesUnread;
    }
    return batch.problems.isEmpty() ? Success : SomeFilesUnread;
}
