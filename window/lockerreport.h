#ifndef LOCKERREPORT_H
#define LOCKERREPORT_H

#include <QCoreApplication>
#include <QString>

// The report of one locker with every secret in clear: HTML that QTextDocument
// lays out and prints to a PDF file.
class LockerReport
{
    Q_DECLARE_TR_FUNCTIONS(LockerReport)

public:
    // Reads the locker and its entries into the report; false when either could
    // not be read. Types other than bank cards (2) and notes (3) report as web
    // IDs. Lets the event loop run, without user input, once per entry.
    bool Read(int type, const QString& lockerId);

    const QString& Html() const { return html; }
    // The report's file in `folder`: the locker's name, made fit to be one file
    // name there that is not hidden, and shortened to the length file systems
    // allow, + ".pdf".
    QString FilePath(const QString& folder) const;
    // Prints to `path`, readable by its owner only where the file system keeps
    // modes, replacing an earlier file; false when it could not be written in
    // full, and the earlier file then stays as it was.
    bool Print(const QString& path) const;

    // Plain text as HTML that shows it as written: escaped, line breaks kept.
    static QString PlainTextToHtml(QString text);

private:
    QString name;
    QString html;
};

#endif // LOCKERREPORT_H
