#pragma once

#include "ScanResult.h"
#include "shared/Status.h"

#include <QObject>
#include <functional>
#include <memory>

class CardScanner;
class QThread;

// Reads card images one after another on a thread of its own, so a window stays responsive while
// the recogniser works (most of a second a card). The recogniser is loaded with the first image.
class BackgroundScanner : public QObject
{
public:
    using Done = std::function<void(const Result<ScanResult> &)>;

    explicit BackgroundScanner(QObject *parent = nullptr);
    // Waits for the image being read; its answer is dropped.
    ~BackgroundScanner() override;

    // Reads the file; done runs on this object's thread once it is read, unless this object is
    // gone by then.
    void scan(const QString &path, Done done);

private:
    QThread *m_thread;
    QObject *m_worker;
    // Used on the worker thread only.
    std::unique_ptr<CardScanner> m_scanner;
};
