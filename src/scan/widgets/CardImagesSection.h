#pragma once

#include "contacts/widgets/DetailsSection.h"

class CardImagesView;
class frmDetails;

// The paper card's pictures on the editor's "更多" tab, so a scanned contact can be checked
// against the card it came from.
class CardImagesSection : public DetailsSection
{
public:
    explicit CardImagesSection(frmDetails &editor);

    void load(const ContactRecord &row) override;

private:
    CardImagesView *m_view;
};
