#pragma once

#include <QString>

class QFont;
#include <QStringView>

class DrawingTarget;
class TableModel;

// One page of the printed parts list: a ruled form of a heading row and 50
// data rows, the title "部品表", the list's name, the date and "page / pages". The same
// routines draw the preview, the printed page and each page of a PDF.
namespace PageLayout {

inline constexpr int rowsPerPage = 50;
// The part of the page the form takes, from the top-left corner of the
// drawable area: what a sheet's printable area must hold.
inline constexpr double formWidth = 200;
inline constexpr double formHeight = 285;

// The form, the headings from the table's header row, the list's name (a
// file name, or 「無題」 when empty), the date and the title.
void DrawFormLine(DrawingTarget &target, const TableModel &table, const QString &listName = {});
// The data rows of page NowPaji (from 1) and "NowPaji / pages" under the form.
// True when more than 50 data rows start on this page, so a next page follows.
// Every text stays between its column's rules, fitted as TextFit says; the
// number of texts that had to be cut is added to `shortened`.
bool DataSet(DrawingTarget &target, const TableModel &table, int NowPaji, int *shortened = nullptr);
// How many data cells of the whole list are cut when printed in `face`.
int shortenedCells(const TableModel &table, const QFont &face);
// The name a list is printed under: the file's name, or 「無題」.
QString listTitle(const QString &path);
// 表面処理 and 個数 right-aligned in a field of three half-width places.
QString SpaseSet(const QString &GetData, int IntnumC);
// Half-width places a text takes: a double-byte character of the Japanese
// code page (kanji, kana, full-width digits, ○ ×) counts two.
int displayWidth(QStringView text);

// The number of pages with data rows, at least 1.
int lastPage(const TableModel &table);
// Today in the Japanese short form, 2026/12/07.
QString today();

} // namespace PageLayout
