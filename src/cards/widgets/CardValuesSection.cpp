#include "CardValuesSection.h"

#include "cards/CardProjection.h"
#include "cards/CardStore.h"
#include "contacts/ContactStore.h"
#include "contacts/widgets/frmDetails.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using CardOtherValues::Kind;

namespace {

// Where a table row's value came from: its place in the listed values, -1 for one the user added.
constexpr int originalRole = Qt::UserRole;
constexpr int kindRole = Qt::UserRole + 1;
constexpr int thumbnailSide = 96;

QString photoText(const CardProperty &photo)
{
    return photo.value.startsWith(QStringLiteral("data:")) ? QStringLiteral("（图片）")
                                                           : photo.text();
}

QTableWidgetItem *item(const QString &text, bool editable)
{
    auto *cell = new QTableWidgetItem(text);
    if (!editable)
        cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
    return cell;
}

} // namespace

CardValuesSection::CardValuesSection(frmDetails &editor)
    : m_editor(editor)
{
    setObjectName(QStringLiteral("CardValuesSection"));
    build();
}

void CardValuesSection::build()
{
    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("tblCardValues"));
    m_table->setHorizontalHeaderLabels(
        { QStringLiteral("类别"), QStringLiteral("标签"), QStringLiteral("内容") });
    m_table->horizontalHeaderItem(TextColumn)
        ->setToolTip(QStringLiteral("地址写作：街道;城市;省份;邮编;国家"));
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    auto *caption = new QLabel(QStringLiteral("名片上的其他内容(&V):"), this);
    caption->setObjectName(QStringLiteral("lblCardValues"));
    caption->setBuddy(m_table);

    m_photo = new QLabel(this);
    m_photo->setObjectName(QStringLiteral("imgPhoto"));
    m_photo->setAccessibleName(QStringLiteral("照片"));
    m_photo->setFixedSize(thumbnailSide, thumbnailSide);
    m_photo->setAlignment(Qt::AlignCenter);
    m_photo->hide();

    m_newKind = new QComboBox(this);
    m_newKind->setObjectName(QStringLiteral("cmbValueKind"));
    m_newKind->setAccessibleName(QStringLiteral("新内容的类别"));
    for (const Kind kind : CardOtherValues::addableKinds())
        m_newKind->addItem(CardOtherValues::caption(kind), int(kind));
    auto *add = new QPushButton(QStringLiteral("添加(&A)"), this);
    add->setObjectName(QStringLiteral("cmdAddValue"));
    auto *remove = new QPushButton(QStringLiteral("删除(&D)"), this);
    remove->setObjectName(QStringLiteral("cmdRemoveValue"));
    connect(add, &QPushButton::clicked, this, &CardValuesSection::addValue);
    connect(remove, &QPushButton::clicked, this, &CardValuesSection::removeValue);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_newKind);
    buttons->addWidget(add);
    buttons->addStretch(1);
    buttons->addWidget(remove);
    auto *listAndPhoto = new QHBoxLayout;
    listAndPhoto->addWidget(m_table, 1);
    listAndPhoto->addWidget(m_photo, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption);
    layout->addLayout(listAndPhoto);
    layout->addLayout(buttons);
    setTabOrder(m_table, m_newKind);
    setTabOrder(m_newKind, add);
    setTabOrder(add, remove);
}

void CardValuesSection::load(const ContactRecord &row)
{
    m_values.clear();
    m_removed.clear();
    m_table->setRowCount(0);
    m_photo->clear();
    m_photo->hide();
    const auto card = CardStore(m_editor.database()).cardOf(row);
    // A card that cannot be read is shown as nothing and written as nothing.
    setEnabled(bool(card));
    if (!card)
        return;
    m_values = CardOtherValues::of(card.value());
    for (int i = 0; i < m_values.size(); ++i)
        addRow(m_values.at(i), i);
}

void CardValuesSection::finishEditing()
{
    if (QWidget *cell = m_table->indexWidget(m_table->currentIndex()))
        emit m_table->itemDelegate()->commitData(cell);
}

void CardValuesSection::addRow(const CardOtherValues::Value &value, int original)
{
    const bool photo = value.kind == Kind::Photo;
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    QTableWidgetItem *kind = item(CardOtherValues::caption(value.kind), false);
    kind->setData(originalRole, original);
    kind->setData(kindRole, int(value.kind));
    m_table->setItem(row, KindColumn, kind);
    // Only a value being added takes a label; a kept value keeps its types and group as they came.
    m_table->setItem(row, LabelColumn, item(value.label, original < 0));
    m_table->setItem(row, TextColumn, item(photo ? photoText(value.property) : value.text, !photo));
    if (photo)
        showPhoto(value.property);
}

void CardValuesSection::showPhoto(const CardProperty &photo)
{
    const qsizetype data = photo.value.indexOf(QStringLiteral(";base64,"));
    if (!photo.value.startsWith(QStringLiteral("data:")) || data < 0)
        return;
    const QImage image
        = QImage::fromData(QByteArray::fromBase64(photo.value.mid(data + 8).toLatin1()));
    if (image.isNull())
        return;
    m_photo->setPixmap(QPixmap::fromImage(
        image.scaled(thumbnailSide, thumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_photo->show();
}

void CardValuesSection::addValue()
{
    const auto kind = Kind(m_newKind->currentData().toInt());
    addRow({ kind, {}, {}, {} }, -1);
    const int row = m_table->rowCount() - 1;
    m_table->setCurrentCell(row, TextColumn);
    m_table->setFocus();
    m_table->editItem(m_table->item(row, TextColumn));
}

void CardValuesSection::removeValue()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    const QTableWidgetItem *kind = m_table->item(row, KindColumn);
    const int original = kind->data(originalRole).toInt();
    if (original >= 0)
        m_removed << original;
    if (kind->data(kindRole).toInt() == int(Kind::Photo)) {
        m_photo->clear();
        m_photo->hide();
    }
    m_table->removeRow(row);
}

QList<CardOtherValues::Change> CardValuesSection::changes() const
{
    QList<CardOtherValues::Change> changes;
    for (const int original : m_removed) {
        const CardOtherValues::Value &value = m_values.at(original);
        changes.append({ value.property, value.kind, value.label, value.text, true });
    }
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem *kind = m_table->item(row, KindColumn);
        const int original = kind->data(originalRole).toInt();
        const QString label = m_table->item(row, LabelColumn)->text();
        const QString text = m_table->item(row, TextColumn)->text();
        if (original < 0) {
            if (!text.trimmed().isEmpty())
                changes.append({ std::nullopt, Kind(kind->data(kindRole).toInt()), label, text });
            continue;
        }
        const CardOtherValues::Value &value = m_values.at(original);
        if (value.kind == Kind::Photo || text == value.text)
            continue;
        // An emptied value is removed, as an emptied box removes its property.
        changes.append({ value.property, value.kind, value.label, text, text.trimmed().isEmpty() });
    }
    return changes;
}

bool CardValuesSection::hasChanges() const
{
    return isEnabled() && !changes().isEmpty();
}

Status CardValuesSection::store(qint64 contactId)
{
    // A card that could not be read is never written over.
    if (!isEnabled())
        return Status::success();
    Database &database = m_editor.database();
    CardStore cards(database);
    const QList<CardOtherValues::Change> changed = changes();
    if (changed.isEmpty()) {
        // A contact without a kept card is its row; there is nothing to keep in step.
        const auto kept = cards.keptBytes(contactId);
        if (!kept || kept.value().isEmpty())
            return kept.status();
    }
    ContactStore rows(database);
    const auto row = rows.load(contactId);
    if (!row)
        return row.status();
    auto card = cards.cardOf(row.value());
    if (!card)
        return card.status();
    CardOtherValues::apply(card.value(), changed);
    if (Status kept = cards.keep(contactId, card.value()); !kept)
        return kept;
    return showInRow(rows, row.value(), card.value());
}

Status CardValuesSection::showInRow(ContactStore &rows, const ContactRecord &row, const Card &card)
{
    // The row is the card's view. A number added where the row has room shows in it; a row e-mail
    // emptied brings the card's next one up, which would otherwise be taken for emptied too the
    // next time the card is read. Names, group and notes are the user's as typed.
    ContactRecord view = CardProjection::project(card);
    view.id = row.id;
    view.firstName = row.firstName;
    view.lastName = row.lastName;
    view.type = row.type;
    view.notes = row.notes;
    view.address3 = row.address3;
    const ContactStore::Edit edit { row, view, false };
    if (!edit.hasChanges())
        return Status::success();
    const auto saved = rows.save(edit, ContactStore::Conflicts::KeepMine);
    return saved.ok() ? Status::success() : Status::failure(saved.message);
}
