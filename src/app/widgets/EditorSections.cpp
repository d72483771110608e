#include "EditorSections.h"

#include "cards/widgets/CardValuesSection.h"
#include "contacts/widgets/DetailsSection.h"
#include "scan/widgets/CardImagesSection.h"
#include "scan/widgets/QrCodeSection.h"

namespace EditorSections {

void install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    DetailsSection::add([](frmDetails &editor) { return new CardValuesSection(editor); });
    DetailsSection::add([](frmDetails &editor) { return new QrCodeSection(editor); });
    DetailsSection::add([](frmDetails &editor) { return new CardImagesSection(editor); });
}

} // namespace EditorSections
