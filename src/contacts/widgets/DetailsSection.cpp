#include "DetailsSection.h"

QList<DetailsSection::Factory> &DetailsSection::factories()
{
    static QList<Factory> all;
    return all;
}

void DetailsSection::add(const Factory &factory)
{
    factories().append(factory);
}

QList<DetailsSection *> DetailsSection::makeAll(frmDetails &editor)
{
    QList<DetailsSection *> sections;
    for (const Factory &factory : std::as_const(factories()))
        sections << factory(editor);
    return sections;
}
