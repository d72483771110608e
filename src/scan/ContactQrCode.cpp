#include "ContactQrCode.h"

#include "interchange/VCardWriter.h"

#include <functional>

namespace {

struct Droppable
{
    const char *caption;
    std::function<void(ContactRecord &)> drop;
};

} // namespace

Result<ContactQrCode> ContactQrCode::of(const ContactRecord &contact)
{
    static const Droppable leastNeededFirst[] = {
        { "备注", [](ContactRecord &c) { c.notes.clear(); } },
        { "公司地址",
          [](ContactRecord &c) {
              c.address1.clear();
              c.address2.clear();
              c.address3.clear();
              c.postcode.clear();
          } },
        { "主页地址", [](ContactRecord &c) { c.website.clear(); } },
    };
    ContactRecord shown = contact;
    QStringList dropped;
    for (size_t step = 0;; ++step) {
        const QByteArray vCard = VCardWriter::write(shown, CardFormat::VCard30);
        if (auto code = QrCode::encode(vCard))
            return ContactQrCode { code.takeValue(), vCard, dropped };
        if (step == std::size(leastNeededFirst))
            return Status::failure(
                QStringLiteral("联系人的内容太多，即使省去备注、地址和主页也放不进一个二维码。"));
        leastNeededFirst[step].drop(shown);
        dropped << QString::fromUtf8(leastNeededFirst[step].caption);
    }
}
