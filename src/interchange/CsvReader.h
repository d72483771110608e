#pragma once

#include "cards/ReadProblem.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringList>

class QIODevice;

// Reads CSV records one at a time from a device, as RFC 4180 writes them and tolerant of what
// spreadsheets write: CR LF, LF or CR line ends, line breaks inside quoted fields, and a
// semicolon or tab as the separator when the first line holds no comma. Only the record being
// read is held in memory, so a large file costs no more than its longest record.
class CsvReader
{
public:
    struct Record
    {
        // The line the record starts on, counting from 1.
        int line = 0;
        QStringList fields;
    };

    // Reads from the device's position on, decoding with the named encoding ("UTF-8",
    // "GB18030").
    CsvReader(QIODevice &device, const char *encoding);

    // False at the end of the file, or at a NUL byte (see failedLine()).
    bool next(Record &record);
    // Records lost to a quote that never closed, with their lines.
    const QList<ReadProblem> &problems() const { return m_problems; }
    // The line holding a NUL byte, which no text file has; 0 when there is none.
    int failedLine() const { return m_failedLine; }
    // Bytes read so far, for a progress bar.
    qint64 position() const;

private:
    struct Pending
    {
        int line = 0;
        int lastLine = 0;
        QStringList fields;
        QString field;
        bool inQuote = false;
    };

    void skipLineBreaks();
    bool nextLine(QString &text);
    bool nextBytes(QByteArray &line);
    bool refill();
    void scan(QStringView text, Pending &pending) const;
    bool startsRecordAlone(QStringView text) const;
    void reportUnclosed(const Pending &pending);

    QIODevice &m_device;
    QStringDecoder m_decoder;
    QByteArray m_buffer;
    qsizetype m_at = 0;
    qsizetype m_scanned = 0;
    int m_line = 0;
    int m_failedLine = 0;
    QChar m_separator;
    // Fields of the header: a line with as many, read alone, can start a record.
    qsizetype m_width = 0;
    QList<ReadProblem> m_problems;
};
