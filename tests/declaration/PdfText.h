#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

// The words of a PDF with their boxes in millimetres from the paper's top left corner, as
// poppler's pdftotext reads them back.
struct PdfWord {
    QString text;
    int page = 0;  // from 1
    double left = 0, top = 0, right = 0, bottom = 0;
};

struct PdfText {
    QList<PdfWord> words;
    QStringList pages;  // each page's text as laid out (pdftotext -layout)
    QString error;      // empty when the file was read

    static PdfText read(const QString& path)
    {
        PdfText result;
        const auto run = [&result](const QStringList& args) {
            QProcess p;
            p.start(QStringLiteral("pdftotext"), args);
            if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
                result.error = QStringLiteral("pdftotext %1: %2 %3")
                                   .arg(args.join(QLatin1Char(' ')), p.errorString(),
                                        QString::fromLocal8Bit(p.readAllStandardError()));
                return QString();
            }
            return QString::fromUtf8(p.readAllStandardOutput());
        };
        const QString layout = run({QStringLiteral("-layout"), path, QStringLiteral("-")});
        if (!result.error.isEmpty())
            return result;
        result.pages = layout.split(QLatin1Char('\f'));
        if (!result.pages.isEmpty() && result.pages.last().trimmed().isEmpty())
            result.pages.removeLast();

        const QString bbox = run({QStringLiteral("-bbox"), path, QStringLiteral("-")});
        if (!result.error.isEmpty())
            return result;
        constexpr double Mm = 25.4 / 72.0;
        QXmlStreamReader xml(bbox);
        int page = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("page")) {
                ++page;
            } else if (xml.name() == QLatin1String("word")) {
                const auto a = xml.attributes();
                PdfWord w;
                w.page = page;
                w.left = a.value(QLatin1String("xMin")).toDouble() * Mm;
                w.top = a.value(QLatin1String("yMin")).toDouble() * Mm;
                w.right = a.value(QLatin1String("xMax")).toDouble() * Mm;
                w.bottom = a.value(QLatin1String("yMax")).toDouble() * Mm;
                w.text = xml.readElementText();
                result.words.append(w);
            }
        }
        if (xml.hasError())
            result.error = xml.errorString();
        return result;
    }

    QList<PdfWord> find(const QString& text, int page = 0) const
    {
        QList<PdfWord> found;
        for (const PdfWord& w : words)
            if (w.text == text && (page == 0 || w.page == page))
                found.append(w);
        return found;
    }

    int pageCount() const { return int(pages.size()); }
};
