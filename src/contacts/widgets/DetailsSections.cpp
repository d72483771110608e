#include "DetailsSections.h"

#include "DetailsSection.h"

#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

void DetailsSections::build(frmDetails &editor, QTabWidget *tabs)
{
    m_sections = DetailsSection::makeAll(editor);
    if (m_sections.isEmpty())
        return;
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabExtras"));
    auto *layout = new QVBoxLayout(page);
    for (DetailsSection *section : std::as_const(m_sections))
        layout->addWidget(section);
    layout->addStretch(1);
    auto *scroll = new QScrollArea(tabs);
    scroll->setObjectName(QStringLiteral("scrollExtras"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(page);
    tabs->addTab(scroll, QStringLiteral("更多"));
}

bool DetailsSections::hasChanges() const
{
    return std::any_of(m_sections.begin(), m_sections.end(),
                       [](const DetailsSection *section) { return section->hasChanges(); });
}

void DetailsSections::load(const ContactRecord &row)
{
    for (DetailsSection *section : std::as_const(m_sections))
        section->load(row);
}

void DetailsSections::finishEditing()
{
    for (DetailsSection *section : std::as_const(m_sections))
        section->finishEditing();
}

Status DetailsSections::store(qint64 contactId)
{
    for (DetailsSection *section : std::as_const(m_sections)) {
        if (Status stored = section->store(contactId); !stored)
            return stored;
    }
    return Status::success();
}
