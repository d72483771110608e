#include "CardImagesSection.h"

#include "CardImagesView.h"
#include "contacts/widgets/frmDetails.h"

#include <QVBoxLayout>

CardImagesSection::CardImagesSection(frmDetails &editor)
    : m_view(new CardImagesView(editor.database(), 0, this))
{
    setObjectName(QStringLiteral("CardImagesSection"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

void CardImagesSection::load(const ContactRecord &row)
{
    m_view->setContact(row.id);
}
