#pragma once

#include "contacts/widgets/DetailsSection.h"

class frmDetails;

// The "二维码" button of the editor's "更多" tab: the contact as the editor now holds it, with
// every kept value the code has room for, shown as a QR code.
class QrCodeSection : public DetailsSection
{
public:
    explicit QrCodeSection(frmDetails &editor);

    void load(const ContactRecord &row) override { Q_UNUSED(row) }

private:
    void showCode();

    frmDetails &m_editor;
};
