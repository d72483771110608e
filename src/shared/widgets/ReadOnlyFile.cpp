#include "ReadOnlyFile.h"

#include "Prompts.h"
#include "shared/AppVersion.h"

namespace ReadOnlyFile {

QString openingNotice()
{
    return QStringLiteral("这个数据文件不能写入（文件或它所在的磁盘是只读的），"
                          "现在只能查看联系人，不能添加、修改或删除。");
}

bool refuses(QWidget *parent, bool readOnly)
{
    if (readOnly) {
        Prompts::current().message(parent, MessageIcon::Exclamation, AppVersion::productName(),
                                   QStringLiteral("这个数据文件是只读的，不能进行这项操作。"));
    }
    return readOnly;
}

} // namespace ReadOnlyFile
