#pragma once

#include "Card.h"
#include "ReadProblem.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringDecoder>
#include <memory>
#include <optional>

class QIODevice;

// Reads cards of versions 2.1, 3.0 and 4.0, in any mix, one at a time from a device, so a large
// file never sits in memory as lines. Tolerant of what real senders write: a line it cannot read
// is reported with its number and only that line is lost, never its card.
class CardReader
{
public:
    // The device must be open; it is read once to decide the file's encoding (UTF-8 when the
    // whole of it is valid UTF-8, else GB18030), then again from its start.
    explicit CardReader(QIODevice &device);
    explicit CardReader(const QByteArray &bytes);
    ~CardReader();

    // True when the first line holding text opens a card.
    static bool looksLikeCard(const QByteArray &head);
    // Every card of the bytes, for callers that hold a few cards (a server's answer).
    static QList<Card> readAll(const QByteArray &bytes, QList<ReadProblem> *problems = nullptr);
    // The card of a kept form (UTF-8 by its making), read in place; false when it holds none.
    static bool readKept(QByteArrayView kept, Card &card);

    // The next card; false at the end of the input.
    bool next(Card &card);
    // The line of the last card's BEGIN:VCARD, counting from 1.
    int cardLine() const { return m_cardLine; }
    // Lines and cards that could not be read so far (at most a thousand are listed).
    const QList<ReadProblem> &problems() const { return m_problems; }
    int problemCount() const { return m_problemCount; }
    // The share of the input read so far, 0 to 1.
    double progress() const;

private:
    struct Line;
    class Source;

    struct KnownUtf8
    {
    };
    CardReader(const QByteArray &bytes, KnownUtf8);

    void start(QIODevice &device);
    bool nextLine(Line &line);
    void report(int line, const QString &reason);
    // Empty, or why the line could not be read.
    QString addLine(Card &card, const Line &line);
    QString fromGb18030(QByteArrayView bytes);

    std::unique_ptr<QBuffer> m_buffer;
    QByteArray m_converted;
    std::unique_ptr<Source> m_source;
    bool m_utf8 = true;
    std::optional<QStringDecoder> m_gb18030;
    QList<ReadProblem> m_problems;
    int m_problemCount = 0;
    int m_cardLine = 0;
    // A card that began inside another, read by the next call.
    int m_pendingBegin = 0;
    // The version the card's text is written in (its VERSION line).
    CardVersion m_syntax = CardVersion::V30;
};
