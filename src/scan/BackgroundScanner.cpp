#include "BackgroundScanner.h"

#include "CardScanner.h"

#include <QThread>

BackgroundScanner::BackgroundScanner(QObject *parent)
    : QObject(parent)
    , m_thread(new QThread(this))
    , m_worker(new QObject)
{
    m_worker->moveToThread(m_thread);
    m_thread->start();
}

BackgroundScanner::~BackgroundScanner()
{
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
}

void BackgroundScanner::scan(const QString &path, Done done)
{
    QMetaObject::invokeMethod(m_worker, [this, path, done = std::move(done)] {
        Result<ScanResult> result = Status::failure(QString());
        if (!m_scanner) {
            auto created = CardScanner::create();
            if (created)
                m_scanner = created.takeValue();
            else
                result = created.status();
        }
        if (m_scanner)
            result = m_scanner->scanFile(path);
        // Posted to this object: dropped with it when the window closed meanwhile.
        QMetaObject::invokeMethod(
            this, [done, result] { done(result); }, Qt::QueuedConnection);
    });
}
