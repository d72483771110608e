#pragma once

#include <QWidget>

class Database;
class QLabel;

// The pictures of a contact's paper card, front and back, as small read-only thumbnails.
class CardImagesView : public QWidget
{
public:
    CardImagesView(Database &database, qint64 contactId, QWidget *parent = nullptr);

    // Reads the pictures afresh (after a scan saved a new one).
    void reload();
    void setContact(qint64 contactId);

private:
    Database &m_database;
    qint64 m_contactId;
    QLabel *m_front;
    QLabel *m_back;
    QLabel *m_none;
};
