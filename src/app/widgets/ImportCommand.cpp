#include "ImportCommand.h"

#include "Frm_ExitSplash.h"
#include "data/DataFileCommands.h"
#include "data/DataFileImport.h"
#include "frmMain.h"
#include "shared/AppVersion.h"
#include "shared/FileUtil.h"
#include "shared/widgets/Prompts.h"
#include "shared/widgets/ReadOnlyFile.h"

#include <QApplication>
#include <QPointer>
#include <QWindow>

namespace {

using Choice = DataFileImport::DuplicateChoice;

// While the import runs, the user's clicks and keys reach only the notice (to drag it or close it
// with a double click) and the boxes the import asks with; every other window ignores them, so no
// command can start a second import or pull the data file away.
class NoticeOnlyInput : public QObject
{
public:
    explicit NoticeOnlyInput(QWidget *notice)
        : m_notice(notice)
    {
        qApp->installEventFilter(this);
    }
    ~NoticeOnlyInput() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        return isUserInput(event->type()) && !mayTakeInput(receiver);
    }

private:
    static bool isUserInput(QEvent::Type type)
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }

    bool mayTakeInput(QObject *receiver) const
    {
        if (auto *widget = qobject_cast<QWidget *>(receiver))
            return widget->window() == m_notice || widget->window()->isModal();
        if (auto *window = qobject_cast<QWindow *>(receiver))
            return (m_notice && window == m_notice->windowHandle())
                || window->modality() != Qt::NonModal;
        // Shortcuts go to the actions of the other windows.
        return false;
    }

    QPointer<QWidget> m_notice;
};

void letScreenRepaint()
{
    QCoreApplication::processEvents();
}

Choice askAboutDuplicate(frmMain &main, const QString &firstName, const QString &lastName)
{
    const QString question = QStringLiteral("[ ") + firstName + QLatin1Char(' ') + lastName
        + QStringLiteral(" ] 已经存在于该数据库中，您确实要在导入一个吗？");
    switch (Prompts::current().askYesNoCancel(&main, MessageIcon::Question,
                                              AppVersion::productName(), question)) {
    case Answer::Yes:
        return Choice::Copy;
    case Answer::No:
        return Choice::Skip;
    default:
        return Choice::Stop;
    }
}

// What the user must hear about a finished import; empty when it went as asked.
QString outcome(const Result<ImportSummary> &result)
{
    if (!result)
        return QStringLiteral("无法导入该数据文件，当前数据库没有任何改变。\n") + result.message();
    const ImportSummary &summary = result.value();
    QString text;
    if (!summary.stoppedBy.isEmpty())
        text = QStringLiteral("导入数据时出错，导入已停止；此前已导入%1个类别、%2个联系人。\n%3\n")
                   .arg(summary.categoriesCopied)
                   .arg(summary.contactsCopied)
                   .arg(summary.stoppedBy);
    if (summary.rowsFailed > 0)
        text += QStringLiteral("有%1条记录无法写入当前数据库，没有导入。\n%2")
                    .arg(summary.rowsFailed)
                    .arg(summary.firstFailure);
    return text.trimmed();
}

// What the import left out on purpose, and why; empty when it left out nothing.
QString skipped(const Result<ImportSummary> &result)
{
    if (!result)
        return {};
    const ImportSummary &summary = result.value();
    QStringList lines;
    if (summary.reservedSkipped > 0)
        lines << QStringLiteral(
                     "%1条记录是对方的联系人模板或未命名的新联系人，不是联系人，没有导入。")
                     .arg(summary.reservedSkipped);
    if (summary.duplicatesSkipped > 0)
        lines
            << QStringLiteral("%1个同名联系人按您的选择没有导入。").arg(summary.duplicatesSkipped);
    if (lines.isEmpty())
        return {};
    return QStringLiteral("已导入%1个类别、%2个联系人。\n")
               .arg(summary.categoriesCopied)
               .arg(summary.contactsCopied)
        + lines.join(QLatin1Char('\n'));
}

Result<ImportSummary> importWithNotice(frmMain &main, const QString &source)
{
    // The user may close the notice with a double click at any time.
    QPointer<Frm_ExitSplash> notice = new Frm_ExitSplash(&main);
    notice->show();
    const NoticeOnlyInput inputGate(notice);
    auto showStage = [&notice](const QString &text) {
        if (notice)
            notice->setLabel1(text);
        letScreenRepaint();
    };
    showStage(QStringLiteral("正在导入数据...请稍候..."));

    DataFileImport importer(main.DB());
    importer.onStage = [&](DataFileImport::Stage stage) {
        showStage(stage == DataFileImport::Stage::Categories
                      ? QStringLiteral("开始导入类别信息...请稍候...")
                      : QStringLiteral("开始导入联系人信息...请稍候..."));
    };
    importer.onProgress = [&notice](int percent) {
        if (notice)
            notice->setLabel2(QString::number(percent) + QStringLiteral(" %"));
        letScreenRepaint();
    };
    importer.onDuplicate = [&main](const QString &firstName, const QString &lastName) {
        return askAboutDuplicate(main, firstName, lastName);
    };
    const auto result = importer.importFile(source);
    if (notice)
        notice->close();
    return result;
}

} // namespace

namespace ImportCommand {

void run(frmMain &main)
{
    if (ReadOnlyFile::refuses(&main, main.DB().isReadOnly()))
        return;
    QString problem;
    QString leftOut;
    if (FileUtil::fileExists(main.DB().path())) {
        const QString source = Prompts::current().openFileName(
            &main, FileDialogSetup { DataFileCommands::fileFilter(), QString(), false });
        if (!source.trimmed().isEmpty()) {
            const auto result = importWithNotice(main, source);
            problem = outcome(result);
            leftOut = skipped(result);
        }
    }
    if (!problem.isEmpty())
        Prompts::current().message(&main, MessageIcon::Exclamation, QStringLiteral("出错啦"),
                                   problem);
    else if (!leftOut.isEmpty())
        Prompts::current().message(&main, MessageIcon::Information, AppVersion::productName(),
                                   leftOut);
    main.ReloadContactList();
}

} // namespace ImportCommand
