#pragma once

#include "CardFormat.h"

#include <QByteArray>
#include <QList>
#include <QThreadPool>
#include <deque>
#include <future>

class QIODevice;
class TextRow;

// Turns contacts into the bytes of a card file, in the order they are added. Making a card
// from its kept form is the slow part of an export, so vCards are made in batches on worker
// threads while the caller goes on reading rows; the bytes still reach the device in order.
class CardEncoder
{
public:
    CardEncoder(CardFormat format, QIODevice &device);
    // Waits for the batches still being made.
    ~CardEncoder();

    // A contact as read: the columns of ContactColumns::list(), then its kept card (empty for
    // none). False once writing failed.
    bool add(const TextRow &row);
    // Writes what is still held; false when the device refused a byte.
    bool finish();

private:
    // The texts of a batch's rows, one after another: copying bytes is all the reading thread
    // does for a contact.
    struct Batch
    {
        QByteArray texts;
        // Where each text ends in texts: the columns and then the kept card of each row.
        QList<qsizetype> ends;
        int rows = 0;
    };

    static QByteArray encode(CardFormat format, const Batch &batch);
    void submit();
    // Writes the finished batches while more than waiting are in flight.
    bool writeDone(std::size_t waiting);

    CardFormat m_format;
    QIODevice &m_device;
    Batch m_batch;
    std::deque<std::future<QByteArray>> m_pending;
    bool m_failed = false;
    QThreadPool m_pool;
};
