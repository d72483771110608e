#include "ScriptedPrompts.h"

#include <QtTest>

namespace {

void failUnscripted(const ShownBox &box, const char *expected)
{
    const QString what = QStringLiteral("unscripted %1: caption \"%2\", text \"%3\"")
                             .arg(QLatin1String(expected), box.caption, box.text);
    QTest::qFail(qPrintable(what), __FILE__, __LINE__);
}

} // namespace

ScriptedPrompts::ScriptedPrompts()
{
    Prompts::install(this);
}

// A double that outlives its test (a failed cleanup) must not remove the next test's double.
ScriptedPrompts::~ScriptedPrompts()
{
    if (&Prompts::current() == this)
        Prompts::install(nullptr);
}

void ScriptedPrompts::answer(Answer answer)
{
    m_script.append(answer);
}

void ScriptedPrompts::chooseFile(const QString &path)
{
    m_script.append(path);
}

QStringList ScriptedPrompts::texts() const
{
    QStringList all;
    for (const ShownBox &box : m_shown)
        all << box.text;
    return all;
}

Answer ScriptedPrompts::nextAnswer(const ShownBox &box)
{
    if (whileShown)
        whileShown(box);
    m_shown.append(box);
    if (m_script.isEmpty() || !std::holds_alternative<Answer>(m_script.constFirst())) {
        failUnscripted(box, "box");
        return Answer::Cancel;
    }
    return std::get<Answer>(m_script.takeFirst());
}

QString ScriptedPrompts::nextFile(const ShownBox &box)
{
    m_shown.append(box);
    if (m_script.isEmpty() || !std::holds_alternative<QString>(m_script.constFirst())) {
        failUnscripted(box, "file dialog");
        return {};
    }
    return std::get<QString>(m_script.takeFirst());
}

void ScriptedPrompts::message(QWidget *, MessageIcon icon, const QString &caption,
                              const QString &text)
{
    nextAnswer({ ShownBox::Kind::Message, icon, caption, text, {} });
}

Answer ScriptedPrompts::askYesNo(QWidget *, MessageIcon icon, const QString &caption,
                                 const QString &text)
{
    return nextAnswer({ ShownBox::Kind::YesNo, icon, caption, text, {} });
}

Answer ScriptedPrompts::askYesNoCancel(QWidget *, MessageIcon icon, const QString &caption,
                                       const QString &text)
{
    return nextAnswer({ ShownBox::Kind::YesNoCancel, icon, caption, text, {} });
}

QString ScriptedPrompts::openFileName(QWidget *, const FileDialogSetup &setup)
{
    return nextFile({ ShownBox::Kind::OpenFile, MessageIcon::Information, {}, {}, setup });
}

QString ScriptedPrompts::saveFileName(QWidget *, const FileDialogSetup &setup)
{
    return nextFile({ ShownBox::Kind::SaveFile, MessageIcon::Information, {}, {}, setup });
}
