#include "batchrun.h"

#include "extract/capturewindows.h"
#include "extract/drawingdrop.h"
#include "extract/drawingtexts.h"
#include "extract/positionvalue.h"
#include "platform/codepage.h"
#include "platform/fileerror.h"
#include "platform/filekind.h"
#include "platform/largepages.h"
#include "platform/qsettingsstore.h"
#include "platform/standardstreams.h"
#include "print/pdfexport.h"
#include "settings/positionsettings.h"
#include "shell/columnlayout.h"
#include "shell/tablemodel.h"

#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cstdio>

namespace {

QString entryName(int entry)
{
    return QStringLiteral("%1 の %2")
        .arg(ColumnLayout::title(entry / 2),
             entry % 2 == 0 ? QStringLiteral("X") : QStringLiteral("Y"));
}

QString replacedNotice()
{
    return QStringLiteral("シフトJISにない文字を \"?\" にしました");
}

// Whether the list is a large file of ordinary lines of text. Each of its
// lines turns into a record of small strings (about two bytes of text a
// byte), then into sort keys: on a virtual machine, faulting that memory in
// page by page took a third of the run, so the heap is prepared for it. A
// file of bare separators, of one huge cell or of bytes that are no text
// holds few strings or is read another way, and a prepared heap would only
// keep its memory longer.
constexpr qint64 largeList = 1024 * 1024;

bool manySmallCells(const QString &path)
{
    const FileKind::Opened opened = FileKind::openRegular(path);
    if (!opened.file || opened.file->size() < largeList) {
        return false;
    }
    QByteArray head = opened.file->read(64 * 1024);
    head.truncate(head.lastIndexOf('\n') + 1);
    QString text;
    return head.count('\n') >= 64 && CodePage::decodeValid(head, text);
}

// The process ends right after a run: the system takes a large table's
// hundreds of thousands of strings back at once, where freeing them one by
// one took a tenth of the run. Still reachable, so no leak checker minds.
void keepUntilExit(QList<QString> &&cells)
{
    static QList<QString> *const kept = new QList<QString>;
    kept->swap(cells);
}

// A slice of rows at a time: a large table never has all its bytes in
// memory at once. `unencodable` gathers the rows where code page 932 lacks
// a character.
bool putInSlices(const QList<QString> &cells, bool utf8, const PartsListFile::Put &put,
                 QList<PartsListWriter::UnencodableRow> &unencodable)
{
    constexpr qsizetype slice = 4096;
    const qsizetype rows = cells.size() / DrawingDrop::Fields;
    for (qsizetype first = 0; first < rows; first += slice) {
        if (utf8) {
            if (!put(PartsListWriter::encodeUtf8(cells, first, slice))) {
                return false;
            }
            continue;
        }
        const PartsListWriter::Encoded encoded = PartsListWriter::encode(cells, first, slice);
        for (PartsListWriter::UnencodableRow row : encoded.unencodable) {
            row.row += first;
            unencodable.append(row);
        }
        if (!put(encoded.bytes)) {
            return false;
        }
    }
    return true;
}

} // namespace

const QString BatchRun::usage =
    QStringLiteral("使いかた: tavo-extract [--xy X1,Y1,...,X6,Y6]... [--no-labels] [--list FILE] "
                   "[-o FILE] [--utf8] "
                   "[--pdf FILE] DRAWING...\n"
                   "          tavo-extract --texts [-o FILE] [--utf8] DRAWING");

BatchRun::BatchRun(Options options, Process process)
    : m_options(std::move(options)), m_process(std::move(process))
{}

QString BatchRun::misuse(const Options &options)
{
    if (options.xy.size() > TitleExtractor::Sets) {
        return QStringLiteral("--xy は 3 回（ｾｯﾄ1, 2, 3）まで指定できます（%1 回あります）。")
            .arg(options.xy.size());
    }
    if (options.texts && options.drawings.size() != 1) {
        return QStringLiteral("--texts には図面ファイルを 1 つだけ指定してください。");
    }
    if (options.drawings.isEmpty() && !options.hasList) {
        return QStringLiteral("図面ファイルを指定してください。");
    }
    return QString();
}

int BatchRun::run()
{
    if (!checkTargets()) {
        return UsageError;
    }
    if (m_options.texts) {
        return printTexts();
    }
    TitleExtractor::Sources sources;
    if (const std::optional<int> exitCode = readPositions(sources)) {
        return *exitCode;
    }
    DrawingDrop drop(sources, DrawingDrop::AtFolder::TellAndGoOn);
    bool listWhole = true;
    // Read first, as Open does: a list that cannot be read writes nothing.
    if (m_options.hasList && !readList(drop, listWhole)) {
        return Failure;
    }
    for (const QString &drawing : std::as_const(m_options.drawings)) {
        drop.add(drawing);
    }
    if (!m_options.drawings.isEmpty()) {
        drop.sort();
    }
    tellDrawings(drop, sources);
    bool encodedWhole = true;
    if (const std::optional<int> exitCode = writeList(drop, listWhole, encodedWhole)) {
        return *exitCode;
    }
    const bool allRead = listWhole && encodedWhole && !drop.anyUnread();
    keepUntilExit(std::move(drop.cells));
    return allRead ? Success : Failure;
}

bool BatchRun::checkTargets() const
{
    struct Target
    {
        QString option;
        QString path;
    };
    const Target targets[] = {{QStringLiteral("-o"), m_options.output},
                              {QStringLiteral("--pdf"), m_options.pdf}};
    for (const Target &target : targets) {
        if (target.path.isEmpty()) {
            continue;
        }
        if (m_process.readOnly(target.path)) {
            tell(QStringLiteral("%1 %2: 名前が UTF-8 でないファイルには書き出せません。"
                                "別の名前を指定してください。")
                     .arg(target.option, shown(target.path)));
            return false;
        }
        for (const QString &drawing : m_options.drawings) {
            if (FileKind::sameFile(target.path, drawing)) {
                tell(QStringLiteral("%1 %2: 読み込む図面と同じファイルです。"
                                    "別の出力先を指定してください。")
                         .arg(target.option, shown(target.path)));
                return false;
            }
        }
    }
    const QString &pdf = m_options.pdf;
    if (!pdf.isEmpty() && (FileKind::sameFile(pdf, m_options.output) ||
                           (m_options.hasList && FileKind::sameFile(pdf, m_options.list)) ||
                           pdf == m_options.output)) {
        tell(QStringLiteral("--pdf %1: 部品表と同じファイルです。別の名前を指定してください。")
                 .arg(pdf));
        return false;
    }
    return true;
}

std::optional<int> BatchRun::readPositions(TitleExtractor::Sources &sources) const
{
    if (m_options.hasXy) {
        for (qsizetype set = 0; set < m_options.xy.size() && set < TitleExtractor::Sets; ++set) {
            const std::optional<std::array<QString, 12>> given =
                positionsFromOption(m_options.xy[set]);
            if (!given) {
                tell(usage);
                return UsageError;
            }
            sources.sets[std::size_t(set)] = *given;
        }
    } else if (!m_options.drawings.isEmpty()) {
        if (const std::optional<int> exitCode = positionsFromStore(sources)) {
            return exitCode;
        }
    }
    sources.byLabels = sources.byLabels && !m_options.noLabels;
    return std::nullopt;
}

// --xy: twelve numbers, nothing less; a typo must not quietly switch a field off.
std::optional<std::array<QString, 12>> BatchRun::positionsFromOption(const QString &text) const
{
    const QStringList values = text.split(QLatin1Char(','));
    if (values.size() != PositionSettings::Count) {
        tell(QStringLiteral("--xy には 12 個の数値をコンマで区切って指定してください"
                            "（%1 個あります）。")
                 .arg(values.size()));
        return std::nullopt;
    }
    std::array<QString, 12> positions;
    for (int entry = 0; entry < PositionSettings::Count; ++entry) {
        if (!positionValue(values[entry])) {
            tell(QStringLiteral("--xy の %1 番目（%2）が数値ではありません: 「%3」")
                     .arg(entry + 1)
                     .arg(entryName(entry), values[entry]));
            return std::nullopt;
        }
        positions[std::size_t(entry)] = values[entry];
    }
    return positions;
}

// Rows of positions that could not be read would be empty, and written over
// a list. A stored value that is no number is told, as it switches its field off.
std::optional<int> BatchRun::positionsFromStore(TitleExtractor::Sources &sources) const
{
    QSettingsStore store;
    PositionSettings settings(store);
    const QString problem = store.readProblem(QStringLiteral("Radoverurid"));
    if (!problem.isEmpty()) {
        tell(problem + QStringLiteral("表題の位置がわからないので何も取り込まず、"
                                      "何も書き出しません。"));
        return Failure;
    }
    if (!settings.anyStored()) {
        tell(QStringLiteral("表題の位置が保存されていません。Tavo表題 の「設定」で"
                            "位置を保存するか、--xy で指定してください。"));
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
                tell(QStringLiteral("設定の %1%2（%3）が数値ではありません: 「%4」。%5 "
                                    "は取り込みません。")
                         .arg(prefix, entryName(entry), PositionSettings::keyName(entry), value,
                              ColumnLayout::title(entry / 2)));
            }
        }
    }
    return std::nullopt;
}

// --texts: every text of one drawing with its position, to find the title
// positions from a script.
int BatchRun::printTexts() const
{
    const QString &drawing = m_options.drawings.first();
    const DrawingTexts::Result result = DrawingTexts::readFile(drawing);
    if (!result.readable) {
        tell(drawing, result.error);
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
    if (m_options.utf8) {
        bytes = lines.toUtf8();
    } else {
        const CodePage::Encoded encoded = CodePage::encode(lines);
        bytes = encoded.bytes;
        if (!encoded.unencodable.isEmpty()) {
            tell(drawing, replacedNotice());
            whole = false;
        }
    }
    if (!writeOutput([&bytes](const PartsListFile::Put &put) { return put(bytes); })) {
        return Failure;
    }
    if (!result.error.isEmpty()) {
        tell(drawing, result.error);
    }
    return whole ? Success : Failure;
}

bool BatchRun::readList(DrawingDrop &drop, bool &whole) const
{
    if (manySmallCells(m_options.list)) {
        const qint64 size = std::min(QFileInfo(m_options.list).size(), PartsListFile::MaxFileBytes);
        LargePages::reserveHeap(2 * size + 16 * largeList);
    }
    PartsListFile::ReadResult list = PartsListFile::read(m_options.list);
    if (!list.ok()) {
        tell(m_options.list, list.error);
        return false;
    }
    if (list.truncation) {
        tell(m_options.list, PartsListReader::describe(*list.truncation));
    }
    for (const QString &notice : {list.replaced, list.oldForm}) {
        if (!notice.isEmpty()) {
            tell(m_options.list, notice);
        }
    }
    whole = list.whole();
    drop.cells = std::move(list.cells);
    return true;
}

void BatchRun::tellDrawings(const DrawingDrop &drop, const TitleExtractor::Sources &sources) const
{
    // The files that were not read whole first, then those without text.
    for (const bool withoutText : {false, true}) {
        for (const DrawingDrop::Told &told : drop.told) {
            if ((told.kind == DrawingDrop::Told::NoText) == withoutText) {
                tell(told.path, told.reason);
            }
        }
    }
    // Not a failure: the row is there, with set 1's fields. Without any set
    // configured every drawing would be named, which tells nothing.
    bool anySet = false;
    for (const auto &set : sources.sets) {
        anySet = anySet || CaptureWindows::inUse(set);
    }
    for (const QString &path : anySet ? drop.tally.withoutDrawingNumber : QStringList()) {
        tell(path, QStringLiteral("位置の設定でも項目名でも図番が見つかりません"));
    }
    if (!m_options.utf8) {
        for (const QString &path : drop.withUnencodable) {
            tell(path, replacedNotice());
        }
    }
}

std::optional<int> BatchRun::writeList(const DrawingDrop &drop, bool listWhole,
                                       bool &encodedWhole) const
{
    // The user's own list is only replaced by a table that holds all of it.
    const bool overwritesList = m_options.hasList && !m_options.output.isEmpty() &&
                                FileKind::sameFile(m_options.output, m_options.list);
    const auto refuseOverwrite = [&] {
        tell(QStringLiteral("%1: 部品表の一部が失われるので上書きしません。")
                 .arg(shown(m_options.output)));
        return Failure;
    };
    if (overwritesList && !listWhole) {
        return refuseOverwrite();
    }
    if (const QString tooMany = PartsListFile::tooManyRows(drop.rowCount()); !tooMany.isEmpty()) {
        tell(tooMany + QStringLiteral("何も書き出しません。"));
        return Failure;
    }
    QList<PartsListWriter::UnencodableRow> unencodable;
    const bool written = writeOutput([&](const PartsListFile::Put &put) {
        return putInSlices(drop.cells, m_options.utf8, put, unencodable) &&
               (!overwritesList || unencodable.isEmpty());
    });
    encodedWhole = unencodable.isEmpty();
    if (drop.withUnencodable.isEmpty() && !encodedWhole) {
        tell(replacedNotice() + QStringLiteral(":\n") + PartsListWriter::describe(unencodable));
    }
    if (!written) {
        return Failure;
    }
    if (overwritesList && !encodedWhole) {
        return refuseOverwrite();
    }
    if (!m_options.pdf.isEmpty() && !writePdf(drop.cells)) {
        return Failure;
    }
    return std::nullopt;
}

bool BatchRun::writePdf(const QList<QString> &cells) const
{
    TableModel table;
    table.SetupGridColumns();
    table.setDataCells(QList<QString>(cells));
    const QString error = writePartsListPdf(table, m_options.pdf);
    if (!error.isEmpty()) {
        tell(QStringLiteral("%1 に PDF を書き込めません（%2）").arg(m_options.pdf, error));
        return false;
    }
    if (const int cut = shortenedCells(table); cut > 0) {
        tell(QStringLiteral("%1: 長すぎて 2 行に収まらない %2 個の欄を「…」で切りました。")
                 .arg(m_options.pdf)
                 .arg(cut));
    }
    return true;
}

bool BatchRun::writeOutput(const PartsListFile::Produce &produce) const
{
    if (m_options.output.isEmpty()) {
        return writeStandardOutput(produce);
    }
    const QString reason = PartsListFile::write(m_options.output, produce);
    if (!reason.isEmpty()) {
        tell(m_options.output, reason);
        return false;
    }
    return true;
}

bool BatchRun::writeStandardOutput(const PartsListFile::Produce &produce) const
{
    if (m_process.standardOutputClosed) {
        tell(QStringLiteral("標準出力が閉じられているので書き出せません。"
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
        tell(QStringLiteral("標準出力に書き込めません。%1。")
                 .arg(FileError::reason(error, FileError::Access::Write)));
    }
    return ok;
}
