#include "QrCodeSection.h"

#include "QrCodeDialog.h"
#include "cards/CardStore.h"
#include "contacts/widgets/frmDetails.h"
#include "scan/ContactQrCode.h"
#include "shared/widgets/Prompts.h"

#include <QHBoxLayout>
#include <QPushButton>

QrCodeSection::QrCodeSection(frmDetails &editor)
    : m_editor(editor)
{
    setObjectName(QStringLiteral("QrCodeSection"));
    auto *button = new QPushButton(QStringLiteral("二维码"), this);
    button->setObjectName(QStringLiteral("cmdQrCode"));
    button->setToolTip(QStringLiteral("显示联系人的二维码，手机扫描即可加入通讯录"));
    connect(button, &QPushButton::clicked, this, &QrCodeSection::showCode);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button);
    layout->addStretch(1);
}

void QrCodeSection::showCode()
{
    const ContactRecord contact = m_editor.editedRecord();
    // The kept card with what the boxes now hold written into it.
    const auto card = CardStore(m_editor.database()).cardOf(contact);
    const auto shown
        = card ? ContactQrCode::of(card.value()) : Result<ContactQrCode>(card.status());
    if (!shown) {
        Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("二维码"),
                                   shown.message());
        return;
    }
    QrCodeDialog dialog(shown.value(), contact.displayName(), this);
    dialog.exec();
}
