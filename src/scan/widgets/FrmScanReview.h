#pragma once

#include "scan/ScanResult.h"
#include "scan/ScannedContact.h"

#include <QStringList>
#include <QWidget>

class BackgroundScanner;
class CardPictureView;
class Database;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class ScanReviewFields;

// Card images in a queue, one at a time: the straightened card beside the fields read from it,
// for the user to correct and save into a relationship group. A card whose person is already in
// the file is offered as an update of that contact. Reading runs off the window's thread.
class FrmScanReview : public QWidget
{
    Q_OBJECT

public:
    // The image files the window reads, by their endings.
    static const QStringList imageSuffixes;

    explicit FrmScanReview(Database &database, QWidget *parent = nullptr);
    ~FrmScanReview() override;

    // Adds images to the end of the queue; the first is read at once unless a card is in review.
    void addImages(const QStringList &paths);

signals:
    // A card was saved into the file.
    void contactsChanged();

private:
    void buildControls();
    QPushButton *addButton(const QString &name, const QString &text);
    void loadGroups();
    void readNext();
    void showScan(const Result<ScanResult> &scan);
    void offerUpdate(const ScannedContact::Match &match);
    void save();
    void chooseBack();
    void showState();
    QList<CardImageStore::Image> pictures() const;

    enum class State { Idle, Reading, Reviewing, Saved, Unreadable };

    Database &m_database;
    BackgroundScanner *m_scanner;
    QStringList m_queue;
    qsizetype m_current = -1;
    State m_state = State::Idle;
    ScanResult m_scan;
    ScannedContact::Match m_match;
    CardImageStore::Image m_back;

    CardPictureView *m_picture = nullptr;
    QLabel *m_queueLabel = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_busy = nullptr;
    ScanReviewFields *m_fields = nullptr;
    QComboBox *m_group = nullptr;
    QGroupBox *m_existing = nullptr;
    QRadioButton *m_update = nullptr;
    QRadioButton *m_new = nullptr;
    QPushButton *m_backButton = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_skip = nullptr;
};
