#include "CardCommands.h"

#include "CardDialogs.h"
#include "CardProgress.h"
#include "interchange/CardExport.h"
#include "interchange/CardImport.h"
#include "shared/AppVersion.h"
#include "shared/widgets/Prompts.h"

namespace {

void reportProblem(QWidget *window, const QString &text)
{
    Prompts::current().message(window, MessageIcon::Exclamation, QStringLiteral("出错啦"), text);
}

void reportDone(QWidget *window, const QString &text)
{
    Prompts::current().message(window, MessageIcon::Information, AppVersion::productName(), text);
}

QString presetName(CardFormat format)
{
    return CardFormats::isCsv(format) ? QStringLiteral("联系人.csv") : QStringLiteral("联系人.vcf");
}

// Reads the file under a progress bar; no value when the user cancelled.
std::optional<Result<CardImport::Plan>> planImport(QWidget *window, CardImport &importer,
                                                   const QString &path)
{
    CardProgress progress(window, QStringLiteral("正在读取名片文件..."));
    auto plan
        = importer.plan(CardFileReader::Source::file(path), [&progress](qint64 done, qint64 total) {
              return progress.update(done, total);
          });
    if (progress.cancelled())
        return std::nullopt;
    return plan;
}

CardExport::Scope scopeFor(const CardCommandContext &context, const ExportChoice &choice)
{
    CardExport::Scope scope;
    scope.kind = choice.scope;
    scope.group = context.selectedGroup;
    scope.ids = context.shownRows;
    return scope;
}

} // namespace

namespace CardCommands {

void importCards(const CardCommandContext &context)
{
    const QString path = Prompts::current().openFileName(
        context.window,
        FileDialogSetup { QStringLiteral("名片文件(*.vcf *.vcard *.csv)"), QString(), false });
    if (path.trimmed().isEmpty())
        return;
    CardImport importer(context.database);
    const auto plan = planImport(context.window, importer, path);
    if (!plan)
        return;
    if (!*plan) {
        reportProblem(context.window, plan->message());
        return;
    }
    const auto choice = CardDialogs::current().confirmImport(context.window, plan->value());
    if (!choice)
        return;
    if (plan->value().count(*choice) == 0) {
        reportDone(context.window, QStringLiteral("没有要导入的新联系人。"));
        return;
    }
    Result<int> written = Status::success();
    {
        CardProgress progress(context.window, QStringLiteral("正在导入联系人..."));
        importer.onProgress
            = [&progress](int done, int total) { return progress.update(done, total); };
        written = importer.write({ plan->value() }, *choice);
    }
    if (!written) {
        reportProblem(context.window, written.message());
        return;
    }
    if (context.afterImport)
        context.afterImport();
    reportDone(context.window, QStringLiteral("已导入%1个联系人。").arg(written.value()));
}

void exportCards(const CardCommandContext &context)
{
    const auto choice = CardDialogs::current().chooseExport(context.window, context.selectedGroup,
                                                            !context.shownRows.isEmpty());
    if (!choice)
        return;
    const QString path
        = Prompts::current().saveFileName(context.window,
                                          FileDialogSetup { CardFormats::fileFilter(choice->format),
                                                            presetName(choice->format), true });
    if (path.trimmed().isEmpty())
        return;
    CardExport exporter(context.database, scopeFor(context, *choice), choice->format);
    Result<int> written = Status::success();
    {
        CardProgress progress(context.window, QStringLiteral("正在导出联系人..."));
        exporter.onProgress
            = [&progress](int done, int total) { return progress.update(done, total); };
        written = exporter.writeFile(path);
    }
    if (!written)
        reportProblem(context.window, written.message());
    else
        reportDone(context.window, QStringLiteral("已导出%1个联系人。").arg(written.value()));
}

} // namespace CardCommands
