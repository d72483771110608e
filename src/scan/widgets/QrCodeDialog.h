#pragma once

#include "scan/ContactQrCode.h"

#include <QDialog>
#include <QImage>

// Shows a contact as a QR code a phone camera adds to its contacts, and says which lines were
// left out to make it fit.
class QrCodeDialog : public QDialog
{
    Q_OBJECT

public:
    QrCodeDialog(const ContactQrCode &shown, const QString &displayName, QWidget *parent = nullptr);

    // The code as drawn: black modules on white with a quiet zone of four modules.
    const QImage &image() const { return m_image; }

    static QImage draw(const QrCode &code, int moduleSide);

private:
    QImage m_image;
};
