#include "positionswindow.h"

#include "drawingtextswindow.h"
#include "extract/drawingtexts.h"
#include "extract/positionvalue.h"
#include "labelwordsdialog.h"
#include "platform/dialogs.h"
#include "positionsettings.h"
#include "shell/columnlayout.h"
#include "shell/twips.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <algorithm>

namespace {

// Frames stand in two rows of three, in column order, this far apart.
constexpr int frameGap = 105;
constexpr std::array<int, 2> frameTops = {240, 1320};

// The first local file of a drop, empty when it carries none.
QString droppedPath(const QMimeData *data)
{
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

} // namespace

void PositionsWindow::createFields(int frameWidth, int fieldWidth)
{
    for (int field = 0; field < ColumnLayout::Count; ++field) {
        auto *frame = new QGroupBox(ColumnLayout::title(field), this);
        frame->setGeometry(Twips::toPixels(120 + (field % 3) * (frameWidth + frameGap),
                                           frameTops[std::size_t(field / 3)], frameWidth, 975));
        const int labelYTop = field == ColumnLayout::SurfaceTreatment ? 600 : 615;
        for (int axis = 0; axis < 2; ++axis) {
            const int entry = 2 * field + axis;
            auto *label =
                new QLabel(axis == 0 ? QStringLiteral("X =") : QStringLiteral("Y ="), frame);
            label->setGeometry(Twips::toPixels(120, axis == 0 ? 285 : labelYTop, 255, 180));
            auto *edit = new QLineEdit(frame);
            edit->setGeometry(Twips::toPixels(480, axis == 0 ? 240 : 600, fieldWidth, 270));
            edit->setObjectName(QStringLiteral("Text1_%1").arg(entry));
            // A drawing dropped on a box opens it instead of typing its path.
            edit->setAcceptDrops(false);
            connect(edit, &QLineEdit::textChanged, this, [this, entry] {
                markField(entry);
                Q_EMIT fieldsEdited();
            });
            m_fields[std::size_t(entry)] = edit;
        }
    }
}

PositionsWindow::PositionsWindow(PositionSettings &positions, Dialogs &dialogs, int set)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_positions(positions), m_dialogs(dialogs), m_set(set)
{
    setWindowTitle(QStringLiteral("設定%1").arg(set + 1));
    setAttribute(Qt::WA_DeleteOnClose);
    // Fields wide enough for the longest position anyone types, in this font.
    const int fieldWidth = std::max(
        615,
        int(Twips::fromPixels(
            QLineEdit().fontMetrics().horizontalAdvance(QStringLiteral("−12345.678901")) + 12)));
    const int frameWidth = 480 + fieldWidth + 120;
    const int windowWidth = 120 + 3 * frameWidth + 2 * frameGap + 90;
    setFixedSize(Twips::toPixels(windowWidth), Twips::toPixels(2790));
    setAcceptDrops(true);

    auto *hint = new QLabel(QStringLiteral("★各位置を調べて入力して下さい。★"), this);
    hint->setGeometry(Twips::toPixels(0, 0, 3015, 255));

    auto *setButton = new QPushButton(QStringLiteral("ｾｯﾄ"), this);
    setButton->setGeometry(Twips::toPixels(windowWidth - 705, 0, 615, 300));
    setButton->setAutoDefault(false);
    setButton->setDefault(false);
    connect(setButton, &QPushButton::clicked, this, &PositionsWindow::confirm);

    createFields(frameWidth, fieldWidth);
    auto *drawingButton = new QPushButton(QStringLiteral("図面から選ぶ…"), this);
    drawingButton->setGeometry(Twips::toPixels(windowWidth - 1905, 2370, 1815, 330));
    drawingButton->setAutoDefault(false);
    drawingButton->setToolTip(QStringLiteral("図面の文字を表示し、クリックで位置を入れます。"
                                             "図面ファイルをこのウィンドウに落としても開きます。"));
    connect(drawingButton, &QPushButton::clicked, this, &PositionsWindow::chooseDrawing);
    auto *labelsButton = new QPushButton(QStringLiteral("項目名…"), this);
    labelsButton->setGeometry(Twips::toPixels(120, 2370, 1215, 330));
    labelsButton->setAutoDefault(false);
    labelsButton->setToolTip(
        QStringLiteral("どのｾｯﾄにも合わない図面を、表題の項目名（図番、品名など）"
                       "から読みます。その語と、読むかどうかを決めます。"));
    connect(labelsButton, &QPushButton::clicked, this, &PositionsWindow::editLabels);

    // X then Y, field by field in column order; the buttons last.
    for (std::size_t entry = 1; entry < m_fields.size(); ++entry) {
        setTabOrder(m_fields[entry - 1], m_fields[entry]);
    }
    setTabOrder(m_fields.back(), setButton);
    setTabOrder(setButton, labelsButton);
    setTabOrder(labelsButton, drawingButton);
    reload();
}

void PositionsWindow::reload()
{
    for (int entry = 0; entry < PositionSettings::Count; ++entry) {
        m_fields[std::size_t(entry)]->setText(m_positions.set(m_set)[std::size_t(entry)]);
        markField(entry);
    }
}

void PositionsWindow::confirm()
{
    for (int entry = 0; entry < PositionSettings::Count; ++entry) {
        QLineEdit *edit = m_fields[std::size_t(entry)];
        // The old program reads the same key, and only ASCII numbers.
        const QString stored = storedPosition(edit->text());
        if (stored != edit->text()) {
            edit->setText(stored);
        }
        m_positions.set(m_set)[std::size_t(entry)] = stored;
    }
    if (!m_positions.saveSet(m_set)) {
        m_dialogs.warning(this, QStringLiteral("位置の設定を保存できませんでした。\n保存先: %1\n"
                                               "入力した値はこのまま使われますが、次回の起動時には"
                                               "前回保存された値に戻ります。")
                                    .arg(m_positions.storeLocation()));
    }
}

void PositionsWindow::markField(int entry)
{
    QLineEdit *edit = m_fields[std::size_t(entry)];
    if (positionValue(edit->text())) {
        edit->setStyleSheet(QString());
        edit->setToolTip(QString());
    } else {
        edit->setStyleSheet(QStringLiteral("QLineEdit { background: #fff0c0; color: #a00000; }"));
        edit->setToolTip(QStringLiteral("数値として読めないため、この項目は取り込まれません。"));
    }
}

std::array<QString, 12> PositionsWindow::fieldTexts() const
{
    std::array<QString, 12> texts;
    for (std::size_t entry = 0; entry < texts.size(); ++entry) {
        texts[entry] = m_fields[entry]->text();
    }
    return texts;
}

void PositionsWindow::typePoint(int column, const QString &x, const QString &y)
{
    for (const auto &[entry, text] : {std::pair{2 * column, x}, std::pair{2 * column + 1, y}}) {
        // Replacing the selection keeps the box's undo, as typing would.
        QLineEdit *edit = m_fields[std::size_t(entry)];
        edit->selectAll();
        edit->insert(text);
    }
}

void PositionsWindow::chooseDrawing()
{
    Dialogs::FileRequest request;
    request.startName = m_lastDrawing;
    request.filters = {QStringLiteral("図面ファイル (*.mi *.MI *.bi *.BI)"),
                       QStringLiteral("すべてのファイル (*)")};
    const QString path = m_dialogs.openFileName(this, request);
    if (!path.isEmpty()) {
        openDrawing(path);
    }
}

void PositionsWindow::openDrawing(const QString &path)
{
    DrawingTexts::Result result = DrawingTexts::readFile(path);
    const QString name = QFileInfo(path).fileName();
    if (!result.readable) {
        m_dialogs.warning(this, QStringLiteral("図面 %1 を開けません。\n%2\n%3")
                                    .arg(name, result.error, QDir::toNativeSeparators(path)));
        return;
    }
    m_lastDrawing = path;
    if (!m_drawingWindow) {
        m_drawingWindow = new DrawingTextsWindow(*this);
        m_drawingWindow->placeBeside(*this);
    }
    m_drawingWindow->setDrawing(path, std::move(result.texts));
    m_drawingWindow->show();
    m_drawingWindow->raise();
    m_drawingWindow->activateWindow();
    if (!result.error.isEmpty()) {
        // What was read before the failure is shown all the same.
        m_dialogs.warning(
            m_drawingWindow,
            QStringLiteral("図面 %1 を最後まで読めませんでした。\n%2").arg(name, result.error));
    }
}

void PositionsWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedPath(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void PositionsWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedPath(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    openDrawing(path);
}

void PositionsWindow::editLabels()
{
    LabelWordsDialog dialog(this);
    dialog.setValues(m_positions.labelWords, m_positions.byLabels);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_positions.labelWords = dialog.words();
    m_positions.byLabels = dialog.byLabels();
    if (!m_positions.saveLabels()) {
        m_dialogs.warning(this, QStringLiteral("項目名の設定を保存できませんでした。\n保存先: %1\n"
                                               "入力した語はこのまま使われますが、次回の起動時には"
                                               "前回保存された語に戻ります。")
                                    .arg(m_positions.storeLocation()));
    }
}

DrawingTextsWindow *PositionsWindow::drawingWindow() const
{
    return m_drawingWindow.data();
}
