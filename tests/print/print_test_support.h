#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

// Runs a command-line tool to completion (at most 60 s); its standard output,
// or nothing when it cannot start, times out or exits non-zero.
std::optional<QByteArray> RunTool(const QString& program, const QStringList& arguments);

// Page count of a PDF file from pdfinfo; -1 when pdfinfo fails.
int PdfPageCount(const QString& pdfPath);

// The page size line of pdfinfo, e.g. "612 x 792 pts (letter)"; empty when it fails.
QString PdfPageSize(const QString& pdfPath);

// The document's title from pdfinfo; empty when it has none or pdfinfo fails.
QString PdfTitle(const QString& pdfPath);

// How many images pdfimages lists in a PDF file; -1 when pdfimages fails.
int PdfImageCount(const QString& pdfPath);

// The text of one page (1-based) of a PDF file from pdftotext, in content order.
QString PdfPageText(const QString& pdfPath, int page);

// One page (1-based) of a PDF file rendered by pdftoppm in grey at dpi.
QImage RenderPdfPage(const QString& pdfPath, int page, int dpi);

// Lines of text with surrounding blanks removed and empty lines dropped.
QStringList NonEmptyLines(const QString& text);
