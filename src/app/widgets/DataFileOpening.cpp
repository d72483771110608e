#include "DataFileOpening.h"

#include "data/DataFileChooser.h"
#include "shared/AppVersion.h"
#include "shared/widgets/Prompts.h"

namespace DataFileOpening {

std::unique_ptr<Database> openForLogin(QWidget *parent)
{
    auto opened = DataFileChooser::chooseAndOpen();
    if (!opened) {
        Prompts::current().message(parent, MessageIcon::Critical, AppVersion::productName(),
                                   QStringLiteral("无法打开默认数据文件，程序将退出。\n") + opened.message());
        return nullptr;
    }
    if (opened.value().fellBack) {
        Prompts::current().message(parent, MessageIcon::Exclamation, AppVersion::productName(),
                                   QStringLiteral("打开数据出错，将恢复使用默认数据库！"));
    }
    return std::move(opened.value().database);
}

} // namespace DataFileOpening
