// tavo-extract: the title extraction without a window, for scripts.
#include "extract/batchextraction.h"
#include "extract/capturewindows.h"
#include "extract/drawingtexts.h"
#include "extract/titleextractor.h"
#include "listfile/partslistfile.h"
#include "listfile/partslistwriter.h"
#include "platform/codepage.h"
#include "platform/fileerror.h"
#include "platform/filekind.h"
#include "platform/qsettingsstore.h"
#include "platform/standardstreams.h"
#include "print/pdfexport.h"
#include "settings/positionsettings.h"
#include "settings/positionvalue.h"
#include "shell/columnlayout.h"
#include "shell/tablemodel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLocale>
#include <QTemporaryDir>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

const QString usage =
    QStringLiteral("使いかた: tavo-extract [--xy X1,Y1,...,X6,Y6]... [--no-labels] [--list FILE] "
                   "[-o FILE] [--utf8] "
                   "[--pdf FILE] DRAWING...\n"
                   "          tavo-extract --texts [-o FILE] [--utf8] DRAWING");

void printError(const QString &text)
{
    StandardStreams::printError(text);
}

// File names as the command line gave them. A name whose bytes are not
// UTF-8 (Shift_JIS names from a Windows archive) cannot pass through QString
// and back; such a file is reached through a link by a UTF-8 name in a
// private folder, made at start-up and opened only when the file is read
// (a thousand names keep no thousand files open), while messages show the
// name read as Shift_JIS.
class Arguments
{
public:
    QStringList list;

    Arguments(int argc, char *argv[])
    {
#ifdef Q_OS_UNIX
        for (int i = 0; i < argc; ++i) {
            const QByteArrayView raw(argv[i]);
            if (raw.isValidUtf8()) {
                list.append(QString::fromLocal8Bit(raw));
                continue;
            }
            const QString shown = CodePage::decode(raw);
            const QString alias = linkTo(argv[i]);
            if (alias.isEmpty()) {
                list.append(shown);
                continue;
            }
            m_shown.insert(alias, shown);
            list.append(alias);
        }
#else
        Q_UNUSED(argc);
        Q_UNUSED(argv);
        list = QCoreApplication::arguments();
#endif
    }

    // The name for messages.
    QString shown(const QString &path) const
    {
        return m_shown.value(path, path);
    }
    // A name that can only be read: it cannot be written by that name.
    bool isAlias(const QString &path) const
    {
        return m_shown.contains(path);
    }

    // Whether a PDF was asked for, before any parsing: only then does the
    // program need fonts and with them a GUI application.
    static bool asksForPdf(int argc, char *argv[])
    {
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--pdf") == 0 || std::strncmp(argv[i], "--pdf=", 6) == 0) {
                return true;
            }
        }
        return false;
    }

private:
#ifdef Q_OS_UNIX
    // A link to the file of this name, or empty when there is no such file
    // or no link can be made.
    QString linkTo(const char *name)
    {
        struct stat status;
        if (::lstat(name, &status) != 0) {
            return QString();
        }
        if (!m_links) {
            m_links = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                      QStringLiteral("/tavo-names-XXXXXX"));
        }
        if (!m_links->isValid()) {
            return QString();
        }
        QByteArray target(name);
        if (!target.startsWith('/')) {
            // The folder's own bytes: its name may be no UTF-8 either.
            char folder[PATH_MAX];
            if (!::getcwd(folder, sizeof folder)) {
                return QString();
            }
            target.prepend(QByteArray(folder) + '/');
        }
        const QString alias = m_links->filePath(QString::number(m_shown.size()));
        if (::symlink(target.constData(), QFile::encodeName(alias).constData()) != 0) {
            return QString();
        }
        return alias;
    }

    std::unique_ptr<QTemporaryDir> m_links;
#endif
    QHash<QString, QString> m_shown;
};

struct Options
{
    QStringList drawings;
    QString list;
    QString output; // empty: standard output
    QString pdf;
    QStringList xy; // one for each set given
    bool hasList = false;
    bool noLabels = false;
    bool hasXy = false;
    bool utf8 = false;
    bool texts = false;
};

// Parses the command line; prints help, version or a usage error and gives
// the exit code when the program ends here.
std::optional<int> parseCommandLine(const QStringList &arguments, Options &options)
{
    QCommandLineParser parser;
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

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        printError(unknown.isEmpty()
                       ? QStringLiteral("オプションの値がありません。")
                       : QStringLiteral("知らないオプションです: %1").arg(unknown.join(u' ')));
        printError(usage);
        return UsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(Success);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    options.drawings = parser.positionalArguments();
    options.hasList = parser.isSet(listOption);
    options.list = parser.value(listOption);
    options.output = parser.value(outputOption);
    if (options.output == QLatin1String("-")) {
        options.output.clear();
    }
    options.pdf = parser.value(pdfOption);
    options.hasXy = parser.isSet(xyOption);
    options.xy = parser.values(xyOption);
    options.noLabels = parser.isSet(noLabelsOption);
    if (options.xy.size() > TitleExtractor::Sets) {
        printError(QStringLiteral("--xy は 3 回（ｾｯﾄ1, 2, 3）まで指定できます（%1 回あります）。")
                       .arg(options.xy.size()));
        printError(usage);
        return UsageError;
    }
    options.utf8 = parser.isSet(utf8Option);
    options.texts = parser.isSet(textsOption);
    if (options.texts && options.drawings.size() != 1) {
        printError(QStringLiteral("--texts には図面ファイルを 1 つだけ指定してください。"));
        printError(usage);
        return UsageError;
    }
    if (options.drawings.isEmpty() && !options.hasList) {
        printError(QStringLiteral("図面ファイルを指定してください。"));
        printError(usage);
        return UsageError;
    }
    return std::nullopt;
}

QString entryName(int entry)
{
    return QStringLiteral("%1 の %2")
        .arg(ColumnLayout::title(entry / 2),
             entry % 2 == 0 ? QStringLiteral("X") : QStringLiteral("Y"));
}

// --xy: twelve numbers, nothing less; a typo must not quietly switch a field off.
std::optional<std::array<QString, 12>> positionsFromOption(const QString &text)
{
    const QStringList values = text.split(QLatin1Char(','));
    if (values.size() != PositionSettings::Count) {
        printError(QStringLiteral("--xy には 12 個の数値をコンマで区切って指定してください"
                                  "（%1 個あります）。")
                       .arg(values.size()));
        return std::nullopt;
    }
    std::array<QString, 12> positions;
    for (int entry = 0; entry < PositionSettings::Count; ++entry) {
        if (!positionValue(values[entry])) {
            printError(QStringLiteral("--xy の %1 番目（%2）が数値ではありません: 「%3」")
                           .arg(entry + 1)
                           .arg(entryName(entry), values[entry]));
            return std::nullopt;
        }
        positions[std::size_t(entry)] = values[entry];
    }
    return positions;
}

// The stored position sets, or the exit code when there are none to use:
// rows of positions that could not be read would be empty, and written over
// a list. A stored value that is no number is told, as it switches its field off.
std::optional<int> positionsFromStore(TitleExtractor::Sources &sources)
{
    QSettingsStore store;
    PositionSettings settings(store);
    const QString problem = store.readProblem(QStringLiteral("Radoverurid"));
    if (!problem.isEmpty()) {
        printError(problem + QStringLiteral(
                                 "表題の位置がわからないので何も取り込まず、何も書き出しません。"));
        return Failure;
    }
    if (!settings.anyStored()) {
        printError(QStringLiteral("表題の位置が保存されていません。Tavo表題 の「設定」で位置を"
                                  "保存するか、--xy で指定してください。"));
        return UsageError;
    }
    settings.LoadPositionSettings();
    sources = settings.sources();
    for (int set = 0; set < TitleExtractor::Sets; ++set) {
        // Set 1 as always; the others only when in use.
        if (set > 0 && !CaptureWindows::inUse(sources.sets[std::size_t(set)])) {
            continue;
        }
        const QString prefix = set == 0 ? QString() : QStringLiteral("ｾｯﾄ%1 ").arg(set + 1);
        for (int entry = 0; entry < PositionSettings::Count; ++entry) {
            const QString &value = sources.sets[std::size_t(set)][std::size_t(entry)];
            if (!value.trimmed().isEmpty() && !positionValue(value)) {
                printError(QStringLiteral("設定の %1%2（%3）が数値ではありません: 「%4」。%5 "
                                          "は取り込みません。")
                               .arg(prefix, entryName(entry), PositionSettings::keyName(entry),
                                    value, ColumnLayout::title(entry / 2)));
            }
        }
    }
    return std::nullopt;
}

// A file named twice, once to read and once to write, would be destroyed
// before it is read.
bool checkTargets(const Options &options, const Arguments &arguments)
{
    struct Target
    {
        QString option;
        QString path;
    };
    const Target targets[] = {{QStringLiteral("-o"), options.output},
                              {QStringLiteral("--pdf"), options.pdf}};
    for (const Target &target : targets) {
        if (target.path.isEmpty()) {
            continue;
        }
        if (arguments.isAlias(target.path)) {
            printError(QStringLiteral("%1 %2: 名前が UTF-8 でないファイルには書き出せません。"
                                      "別の名前を指定してください。")
                           .arg(target.option, arguments.shown(target.path)));
            return false;
        }
        for (const QString &drawing : options.drawings) {
            if (FileKind::sameFile(target.path, drawing)) {
                printError(QStringLiteral("%1 %2: 読み込む図面と同じファイルです。"
                                          "別の出力先を指定してください。")
                               .arg(target.option, arguments.shown(target.path)));
                return false;
            }
        }
    }
    if (!options.pdf.isEmpty() &&
        (FileKind::sameFile(options.pdf, options.output) ||
         (options.hasList && FileKind::sameFile(options.pdf, options.list)) ||
         options.pdf == options.output)) {
        printError(
            QStringLiteral("--pdf %1: 部品表と同じファイルです。別の名前を指定してください。")
                .arg(options.pdf));
        return false;
    }
    return true;
}

// Set at start-up when the caller closed standard output.
bool standardOutputClosed = false;

bool writeStandardOutput(const PartsListFile::Produce &produce)
{
    if (standardOutputClosed) {
        printError(QStringLiteral("標準出力が閉じられているので書き出せません。"
                                  "-o で出力先のファイルを指定してください。"));
        return false;
    }
    StandardStreams::setBinaryOutput();
    // Small outputs sit in the stdio buffer until the flush, and a file
    // system may tell a failure only at the close: each step is checked.
    int error = 0;
    bool ok = true;
    produce([&ok, &error](QByteArrayView chunk) {
        errno = 0;
        ok = ok && std::fwrite(chunk.data(), 1, std::size_t(chunk.size()), stdout) ==
                       std::size_t(chunk.size());
        error = ok ? 0 : errno;
        return ok;
    });
    errno = 0;
    if (ok && std::fflush(stdout) != 0) {
        ok = false;
        error = errno;
    }
    if (std::fclose(stdout) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        printError(QStringLiteral("標準出力に書き込めません。%1。")
                       .arg(FileError::reason(error, FileError::Access::Write)));
    }
    return ok;
}

bool writeOutput(const QString &path, const QString &shown, const PartsListFile::Produce &produce)
{
    if (path.isEmpty()) {
        return writeStandardOutput(produce);
    }
    const QString reason = PartsListFile::write(path, produce);
    if (!reason.isEmpty()) {
        printError(QStringLiteral("%1: %2").arg(shown, reason));
        return false;
    }
    return true;
}

bool writeOutput(const QString &path, const QString &shown, const QByteArray &bytes)
{
    return writeOutput(path, shown, [&bytes](const PartsListFile::Put &put) { return put(bytes); });
}

bool writePdf(const QList<QString> &cells, const QString &path)
{
    TableModel table;
    table.SetupGridColumns();
    table.setDataCells(QList<QString>(cells));
    const QString error = writePartsListPdf(table, path);
    if (!error.isEmpty()) {
        printError(QStringLiteral("%1 に PDF を書き込めません（%2）").arg(path, error));
        return false;
    }
    if (const int cut = shortenedCells(table); cut > 0) {
        printError(QStringLiteral("%1: 長すぎて 2 行に収まらない %2 個の欄を「…」で切りました。")
                       .arg(path)
                       .arg(cut));
    }
    return true;
}

// The kept list, or nothing when it cannot be read at all. `whole` tells
// whether every record and every character came through. With `records`,
// a list in the written form comes as records there instead.
std::optional<QList<QString>> readList(const QString &path, const QString &shown, bool &whole,
                                       std::optional<RecordSlices> *records)
{
    PartsListFile::ReadResult list = PartsListFile::read(path, records != nullptr);
    if (records) {
        *records = std::move(list.records);
    }
    if (!list.ok()) {
        printError(QStringLiteral("%1: %2").arg(shown, list.error));
        return std::nullopt;
    }
    if (list.truncation) {
        printError(
            QStringLiteral("%1: %2").arg(shown, PartsListReader::describe(*list.truncation)));
    }
    if (!list.replaced.isEmpty()) {
        printError(QStringLiteral("%1: %2").arg(shown, list.replaced));
    }
    if (!list.oldForm.isEmpty()) {
        printError(QStringLiteral("%1: %2").arg(shown, list.oldForm));
    }
    whole = list.whole();
    return std::move(list.cells);
}

// --texts: every text of one drawing with its position, to find the title
// positions from a script.
int printTexts(const Options &options, const Arguments &arguments)
{
    const QString &drawing = options.drawings.first();
    const QString shown = arguments.shown(drawing);
    const DrawingTexts::Result result = DrawingTexts::readFile(drawing);
    if (!result.readable) {
        printError(QStringLiteral("%1: %2").arg(shown, result.error));
        return Failure;
    }
    const auto number = [](double value) {
        return QString::number(value, 'f', QLocale::FloatingPointShortest);
    };
    QString lines;
    for (const DrawingTexts::Text &text : result.texts) {
        lines += number(text.x) + QLatin1Char('\t') + number(text.y) + QLatin1Char('\t') +
                 text.text + QLatin1Char('\n');
    }
    QByteArray bytes;
    bool whole = result.error.isEmpty();
    if (options.utf8) {
        bytes = lines.toUtf8();
    } else {
        const CodePage::Encoded encoded = CodePage::encode(lines);
        bytes = encoded.bytes;
        if (!encoded.unencodable.isEmpty()) {
            printError(QStringLiteral("%1: シフトJISにない文字を \"?\" にしました").arg(shown));
            whole = false;
        }
    }
    if (!writeOutput(options.output, arguments.shown(options.output), bytes)) {
        return Failure;
    }
    if (!result.error.isEmpty()) {
        printError(QStringLiteral("%1: %2").arg(shown, result.error));
    }
    return whole ? Success : Failure;
}

int run(const Options &options, const Arguments &arguments)
{
    if (!checkTargets(options, arguments)) {
        return UsageError;
    }
    if (options.texts) {
        return printTexts(options, arguments);
    }
    TitleExtractor::Sources sources;
    if (options.hasXy) {
        for (qsizetype set = 0; set < options.xy.size(); ++set) {
            const std::optional<std::array<QString, 12>> given =
                positionsFromOption(options.xy[set]);
            if (!given) {
                printError(usage);
                return UsageError;
            }
            sources.sets[std::size_t(set)] = *given;
        }
    } else if (!options.drawings.isEmpty()) {
        if (const std::optional<int> exitCode = positionsFromStore(sources)) {
            return *exitCode;
        }
    }
    sources.byLabels = sources.byLabels && !options.noLabels;

    BatchExtraction batch(sources);
    bool listWhole = true;
    std::optional<RecordSlices> records;
    if (options.hasList) {
        // Read first, as Open does: a list that cannot be read writes nothing.
        const bool asRecords = !options.utf8 && options.pdf.isEmpty();
        std::optional<QList<QString>> cells = readList(options.list, arguments.shown(options.list),
                                                       listWhole, asRecords ? &records : nullptr);
        if (!cells) {
            return Failure;
        }
        batch.cells = std::move(*cells);
    }
    batch.addDrawings(options.drawings);
    for (const BatchExtraction::Problem &problem : batch.problems) {
        printError(QStringLiteral("%1: %2").arg(arguments.shown(problem.path), problem.reason));
    }
    for (const QString &path : batch.drawingsWithoutText) {
        printError(
            QStringLiteral("%1: %2").arg(arguments.shown(path), TitleExtractor::noTextNotice()));
    }
    // Not a failure: the row is there, with set 1's fields. Without any set
    // configured every drawing would be named, which tells nothing.
    bool anySet = false;
    for (const auto &set : sources.sets) {
        anySet = anySet || CaptureWindows::inUse(set);
    }
    for (const QString &path : anySet ? batch.tally.withoutDrawingNumber : QStringList()) {
        printError(QStringLiteral("%1: 位置の設定でも項目名でも図番が見つかりません")
                       .arg(arguments.shown(path)));
    }
    if (!options.utf8) {
        for (const QString &path : batch.drawingsWithUnencodable) {
            printError(QStringLiteral("%1: シフトJISにない文字を \"?\" にしました")
                           .arg(arguments.shown(path)));
        }
    }
    // The user's own list is only replaced by a table that holds all of it.
    const bool overwritesList = options.hasList && !options.output.isEmpty() &&
                                FileKind::sameFile(options.output, options.list);
    const auto refuseOverwrite = [&] {
        printError(QStringLiteral("%1: 部品表の一部が失われるので上書きしません。")
                       .arg(arguments.shown(options.output)));
        return Failure;
    };
    if (overwritesList && !listWhole) {
        return refuseOverwrite();
    }
    if (const QString tooMany =
            PartsListFile::tooManyRows(batch.rowCount() + (records ? records->count() : 0));
        !tooMany.isEmpty()) {
        printError(tooMany + QStringLiteral("何も書き出しません。"));
        return Failure;
    }
    // A slice of rows at a time: a large table never has all its bytes in
    // memory at once.
    constexpr qsizetype slice = 4096;
    QList<PartsListWriter::UnencodableRow> unencodable;
    const auto produce = [&](const PartsListFile::Put &put) {
        if (records) {
            return records->write(batch.cells, !options.drawings.isEmpty(), put, unencodable) &&
                   (!overwritesList || unencodable.isEmpty());
        }
        for (qsizetype first = 0; first < batch.rowCount(); first += slice) {
            if (options.utf8) {
                if (!put(PartsListWriter::encodeUtf8(batch.cells, first, slice))) {
                    return false;
                }
                continue;
            }
            const PartsListWriter::Encoded encoded =
                PartsListWriter::encode(batch.cells, first, slice);
            for (PartsListWriter::UnencodableRow row : encoded.unencodable) {
                row.row += first;
                unencodable.append(row);
            }
            if (!put(encoded.bytes)) {
                return false;
            }
        }
        return !overwritesList || unencodable.isEmpty();
    };
    const bool written = writeOutput(options.output, arguments.shown(options.output), produce);
    const bool encodedWhole = unencodable.isEmpty();
    if (batch.drawingsWithUnencodable.isEmpty() && !encodedWhole) {
        printError(QStringLiteral("シフトJISにない文字を \"?\" にしました:\n") +
                   PartsListWriter::describe(unencodable));
    }
    if (!written) {
        return Failure;
    }
    if (overwritesList && !encodedWhole) {
        return refuseOverwrite();
    }
    if (!options.pdf.isEmpty() && !writePdf(batch.cells, options.pdf)) {
        return Failure;
    }
    const bool allRead = listWhole && encodedWhole && batch.problems.isEmpty();
    return allRead ? Success : Failure;
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
    standardOutputClosed = StandardStreams::reserveClosed();
    std::unique_ptr<QCoreApplication> app;
    if (Arguments::asksForPdf(argc, argv)) {
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

    const Arguments arguments(argc, argv);
    Options options;
    if (const std::optional<int> exitCode = parseCommandLine(arguments.list, options)) {
        return *exitCode;
    }
    try {
        return run(options, arguments);
    } catch (const std::bad_alloc &) {
        // A save in progress was never committed, so its file is as it was.
        printError(QStringLiteral(
            "メモリーが足りないので中断しました。書き終えていないファイルは元のままです。"));
        return Failure;
    }
}
