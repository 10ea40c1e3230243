// tavo-extract: the title extraction without a window, for scripts.
#include "batchrun.h"
#include "platform/argumentnames.h"
#include "platform/standardstreams.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <memory>
#include <new>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Options = BatchRun::Options;
const QString &usage = BatchRun::usage;

void printError(const QString &text)
{
    StandardStreams::printError(text);
}

// What the program takes, for the parser and for --help.
void declareOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("図面ファイルの表題を部品表ファイルの形式で出力します。\n"
                       "Prints the title fields of drawings as a parts list."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption xyOption(
        QStringLiteral("xy"),
        QStringLiteral("表題の位置 (図番, 品名, 材料, 表面処理, 個数, 備考 の順に X,Y)。"
                       "3 回まで指定でき、順にｾｯﾄ1, 2, 3 になります。省略時は保存された設定。"),
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
    const QCommandLineOption textsOption(
        QStringLiteral("texts"),
        QStringLiteral("図面の文字をすべて、ファイルの順に「X タブ Y タブ 文字」の行で出力する"));
    const QCommandLineOption noLabelsOption(
        QStringLiteral("no-labels"),
        QStringLiteral("どのｾｯﾄにも合わない図面を、表題の項目名（図番・品名など）から読まない"));
    parser.addOptions(
        {textsOption, listOption, pdfOption, xyOption, noLabelsOption, outputOption, utf8Option});
    parser.addPositionalArgument(QStringLiteral("DRAWING"), QStringLiteral("図面ファイル"),
                                 QStringLiteral("DRAWING..."));
}

// Parses the command line; prints help, version or a usage error and gives
// the exit code when the program ends here.
std::optional<int> parseCommandLine(const QStringList &arguments, Options &options)
{
    QCommandLineParser parser;
    declareOptions(parser);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        printError(unknown.isEmpty()
                       ? QStringLiteral("オプションの値がありません。")
                       : QStringLiteral("知らないオプションです: %1").arg(unknown.join(u' ')));
        printError(usage);
        return BatchRun::UsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(BatchRun::Success);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    options.drawings = parser.positionalArguments();
    options.hasList = parser.isSet(QStringLiteral("list"));
    options.list = parser.value(QStringLiteral("list"));
    options.output = parser.value(QStringLiteral("output"));
    if (options.output == QLatin1String("-")) {
        options.output.clear();
    }
    options.pdf = parser.value(QStringLiteral("pdf"));
    options.hasXy = parser.isSet(QStringLiteral("xy"));
    options.xy = parser.values(QStringLiteral("xy"));
    options.noLabels = parser.isSet(QStringLiteral("no-labels"));
    options.utf8 = parser.isSet(QStringLiteral("utf8"));
    options.texts = parser.isSet(QStringLiteral("texts"));
    if (const QString misuse = BatchRun::misuse(options); !misuse.isEmpty()) {
        printError(misuse);
        printError(usage);
        return BatchRun::UsageError;
    }
    return std::nullopt;
}

// A script or a container often has no runtime folder; Qt's GUI part then
// picks one under /tmp itself but says so on standard error on every run.
// Handing it such a folder keeps a clean run silent.
void provideRuntimeFolder()
{
#ifdef Q_OS_UNIX
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        return;
    }
    const QByteArray folder =
        QFile::encodeName(QDir::tempPath()) + "/tavo-runtime-" + QByteArray::number(::getuid());
    ::mkdir(folder.constData(), 0700);
    struct stat status;
    if (::lstat(folder.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
        status.st_uid == ::getuid() && (status.st_mode & 0777) == 0700) {
        qputenv("XDG_RUNTIME_DIR", folder);
    }
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    const bool standardOutputClosed = StandardStreams::reserveClosed();
    std::unique_ptr<QCoreApplication> app;
    if (ArgumentNames::asksForPdf(argc, argv)) {
        // The PDF needs fonts, hence a GUI application; it never shows a
        // window, so it needs no display either.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        provideRuntimeFolder();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("tavo-extract"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVO_VERSION));

    const ArgumentNames arguments(argc, argv);
    Options options;
    if (const std::optional<int> exitCode = parseCommandLine(arguments.list, options)) {
        return *exitCode;
    }
    try {
        BatchRun::Process process;
        process.tell = printError;
        process.shown = [&arguments](const QString &path) { return arguments.shown(path); };
        process.readOnly = [&arguments](const QString &path) { return arguments.isAlias(path); };
        process.standardOutputClosed = standardOutputClosed;
        return BatchRun(options, process).run();
    } catch (const std::bad_alloc &) {
        // A save in progress was never committed, so its file is as it was.
        printError(QStringLiteral(
            "メモリーが足りないので中断しました。書き終えていないファイルは元のままです。"));
        return BatchRun::Failure;
    }
}
