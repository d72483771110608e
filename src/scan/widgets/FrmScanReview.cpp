#include "FrmScanReview.h"

#include "CardPictureView.h"
#include "ScanReviewFields.h"
#include "categories/CategoryKind.h"
#include "categories/CategoryModel.h"
#include "contacts/ContactGroup.h"
#include "data/Database.h"
#include "scan/BackgroundScanner.h"
#include "shared/widgets/Prompts.h"
#include "shared/widgets/ReadOnlyFile.h"

#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A picture larger than this is kept re-encoded and scaled down, not as it came.
constexpr qint64 largestKeptBytes = 4 * 1024 * 1024;
constexpr int keptSide = 2000;

// The picture as it came, or re-encoded and scaled down when large; empty when unreadable.
CardImageStore::Image keptPicture(const QString &path, CardImageStore::Side side,
                                  const QImage &fallback)
{
    QFile file(path);
    if (file.size() <= largestKeptBytes && file.open(QIODevice::ReadOnly)) {
        const QByteArray format = QImageReader::imageFormat(path);
        if (!format.isEmpty())
            return { side, QString::fromLatin1(format), file.readAll() };
    }
    QImage picture = fallback.isNull() ? QImage(path) : fallback;
    if (picture.isNull())
        return { side, QString(), QByteArray() };
    if (picture.width() > keptSide || picture.height() > keptSide)
        picture = picture.scaled(keptSide, keptSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return { side, QStringLiteral("png"), bytes };
}

QImage straightened(const ScanResult &scan)
{
    const QSize size = scan.imageSize;
    if (size.isEmpty() || scan.greyPixels.size() != qsizetype(size.width()) * size.height())
        return {};
    return QImage(reinterpret_cast<const uchar *>(scan.greyPixels.constData()), size.width(),
                  size.height(), size.width(), QImage::Format_Grayscale8)
        .copy();
}

} // namespace

const QStringList FrmScanReview::imageSuffixes { QStringLiteral("png"),  QStringLiteral("jpg"),
                                                 QStringLiteral("jpeg"), QStringLiteral("tif"),
                                                 QStringLiteral("tiff"), QStringLiteral("bmp") };

FrmScanReview::FrmScanReview(Database &database, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
    , m_scanner(new BackgroundScanner(this))
{
    setObjectName(QStringLiteral("FrmScanReview"));
    setWindowTitle(QStringLiteral("扫描名片"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    loadGroups();
    resize(900, 560);
    showState();
}

FrmScanReview::~FrmScanReview() = default;

QPushButton *FrmScanReview::addButton(const QString &name, const QString &text)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void FrmScanReview::buildControls()
{
    m_picture = new CardPictureView(this);
    m_picture->setObjectName(QStringLiteral("picCard"));
    m_picture->setAccessibleName(QStringLiteral("名片图片"));
    m_queueLabel = new QLabel(this);
    m_queueLabel->setObjectName(QStringLiteral("lblQueue"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    m_busy = new QProgressBar(this);
    m_busy->setObjectName(QStringLiteral("barReading"));
    m_busy->setAccessibleName(QStringLiteral("正在识别"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);

    auto *left = new QVBoxLayout;
    left->addWidget(m_picture, 1);
    left->addWidget(m_queueLabel);
    left->addWidget(m_busy);
    left->addWidget(m_status);

    m_fields = new ScanReviewFields(this);
    m_fields->onFieldFocused = [this](const QRect &box) { m_picture->setHighlight(box); };
    m_group = new QComboBox(this);
    m_group->setObjectName(QStringLiteral("cmbGroup"));
    auto *groupCaption = new QLabel(QStringLiteral("*关系类别:"), this);
    groupCaption->setBuddy(m_group);

    m_existing = new QGroupBox(this);
    m_existing->setObjectName(QStringLiteral("fraExisting"));
    m_update = new QRadioButton(QStringLiteral("更新已有联系人"), m_existing);
    m_update->setObjectName(QStringLiteral("optUpdate"));
    m_new = new QRadioButton(QStringLiteral("新建联系人"), m_existing);
    m_new->setObjectName(QStringLiteral("optNew"));
    auto *choice = new QHBoxLayout(m_existing);
    choice->addWidget(m_update);
    choice->addWidget(m_new);
    // An update keeps the contact's own group.
    connect(m_update, &QRadioButton::toggled, this,
            [this](bool update) { m_group->setEnabled(!update); });

    auto *groupRow = new QHBoxLayout;
    groupRow->addWidget(groupCaption);
    groupRow->addWidget(m_group, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(m_fields);
    right->addLayout(groupRow);
    right->addWidget(m_existing);
    right->addStretch();

    m_backButton = addButton(QStringLiteral("cmdBack"), QStringLiteral("背面..."));
    m_backButton->setToolTip(QStringLiteral("选择名片背面的图片，与联系人一起保存"));
    m_save = addButton(QStringLiteral("cmdSave"), QStringLiteral("保存"));
    m_next = addButton(QStringLiteral("cmdNext"), QStringLiteral("下一张"));
    m_skip = addButton(QStringLiteral("cmdSkip"), QStringLiteral("跳过"));
    QPushButton *close = addButton(QStringLiteral("cmdClose"), QStringLiteral("关闭"));
    connect(m_backButton, &QPushButton::clicked, this, &FrmScanReview::chooseBack);
    connect(m_save, &QPushButton::clicked, this, &FrmScanReview::save);
    connect(m_next, &QPushButton::clicked, this, &FrmScanReview::readNext);
    connect(m_skip, &QPushButton::clicked, this, &FrmScanReview::readNext);
    connect(close, &QPushButton::clicked, this, [this] {
        if (QWidget *frame = parentWidget())
            frame->close();
        else
            this->close();
    });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : { m_backButton, m_save, m_next, m_skip, close })
        buttons->addWidget(button);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addSpacing(12);
    columns->addLayout(right, 1);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(columns, 1);
    outer->addLayout(buttons);
}

void FrmScanReview::loadGroups()
{
    const auto groups = CategoryModel(m_database).categories(CategoryKind::RelationshipGroup);
    if (!groups) {
        m_status->setText(groups.message());
        return;
    }
    for (const Category &group : groups.value())
        m_group->addItem(group.name);
    const int preset = m_group->findText(ContactGroup::defaultName());
    m_group->setCurrentIndex(preset >= 0 ? preset : 0);
}

void FrmScanReview::addImages(const QStringList &paths)
{
    m_queue += paths;
    // Nothing left to do on the card shown: the first new one comes at once.
    if (m_state == State::Idle || m_state == State::Saved)
        readNext();
    else
        showState();
}

void FrmScanReview::readNext()
{
    ++m_current;
    m_scan = ScanResult();
    m_match = {};
    m_back = {};
    m_fields->clear();
    m_picture->setImage(QImage());
    m_existing->hide();
    if (m_current >= m_queue.size()) {
        m_current = m_queue.size();
        m_state = State::Idle;
        showState();
        return;
    }
    m_state = State::Reading;
    showState();
    m_scanner->scan(m_queue.at(m_current),
                    [this](const Result<ScanResult> &scan) { showScan(scan); });
}

void FrmScanReview::showScan(const Result<ScanResult> &scan)
{
    if (!scan) {
        m_state = State::Unreadable;
        showState();
        m_status->setText(scan.message());
        return;
    }
    m_scan = scan.value();
    m_picture->setImage(straightened(m_scan));
    const ContactRecord row = ScannedContact::toContact(m_scan, m_group->currentText());
    m_fields->load(m_scan, row);
    m_state = State::Reviewing;
    showState();
    if (m_scan.isEmpty())
        m_status->setText(QStringLiteral("没有在图片上读出文字，请手工填写。"));
    const auto match = ScannedContact::existing(m_database, row);
    if (match && match.value().id != 0)
        offerUpdate(match.value());
}

void FrmScanReview::offerUpdate(const ScannedContact::Match &match)
{
    m_match = match;
    m_existing->setTitle(QStringLiteral("“%1”已在数据文件中").arg(match.displayName));
    m_update->setChecked(true);
    m_existing->show();
}

QList<CardImageStore::Image> FrmScanReview::pictures() const
{
    // A front too large to keep as it came is kept as the straightened card the fields were read
    // from.
    QList<CardImageStore::Image> kept { keptPicture(
        m_queue.at(m_current), CardImageStore::Side::Front, straightened(m_scan)) };
    if (!m_back.bytes.isEmpty())
        kept << m_back;
    return kept;
}

void FrmScanReview::chooseBack()
{
    QStringList patterns;
    for (const QString &suffix : imageSuffixes)
        patterns << QStringLiteral("*.") + suffix;
    const QString path = Prompts::current().openFileName(
        this, { QStringLiteral("名片图片(%1)").arg(patterns.join(u' ')), QString(), false });
    if (path.isEmpty())
        return;
    const CardImageStore::Image back = keptPicture(path, CardImageStore::Side::Back, QImage());
    if (back.bytes.isEmpty()) {
        Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("Zorvane"),
                                   QStringLiteral("无法读取图片“%1”。").arg(path));
        return;
    }
    m_back = back;
    m_status->setText(QStringLiteral("名片背面：%1").arg(QFileInfo(path).fileName()));
}

void FrmScanReview::save()
{
    if (ReadOnlyFile::refuses(this, m_database.isReadOnly()))
        return;
    ContactRecord reviewed = m_fields->reviewed();
    reviewed.type = m_group->currentText();
    if (m_match.id == 0) {
        // The corrected names or numbers may name someone the file has.
        const auto match = ScannedContact::existing(m_database, reviewed);
        if (match && match.value().id != 0) {
            offerUpdate(match.value());
            m_status->setText(QStringLiteral("请选择“更新已有联系人”或“新建联系人”，再按“保存”。"));
            return;
        }
    }
    const qint64 updateOf = m_match.id != 0 && m_update->isChecked() ? m_match.id : 0;
    const auto saved = ScannedContact::save(
        m_database, reviewed, ScannedContact::toCard(m_scan, reviewed), updateOf, pictures());
    if (!saved) {
        Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("Zorvane"),
                                   saved.message());
        return;
    }
    m_state = State::Saved;
    showState();
    m_status->setText(updateOf != 0 ? QStringLiteral("已更新“%1”。").arg(m_match.displayName)
                                    : QStringLiteral("已保存“%1”。").arg(reviewed.displayName()));
    emit contactsChanged();
}

void FrmScanReview::showState()
{
    const bool reading = m_state == State::Reading;
    const bool reviewing = m_state == State::Reviewing;
    m_busy->setVisible(reading);
    m_fields->setEditable(reviewing);
    m_group->setEnabled(reviewing && !(m_match.id != 0 && m_update->isChecked()));
    m_existing->setEnabled(reviewing);
    m_backButton->setEnabled(reviewing);
    m_save->setEnabled(reviewing);
    m_skip->setEnabled(reviewing || m_state == State::Unreadable);
    m_next->setEnabled(m_state == State::Saved);
    if (reviewing)
        m_save->setDefault(true);
    else if (m_state == State::Saved)
        m_next->setDefault(true);
    const bool inQueue = m_current >= 0 && m_current < m_queue.size();
    m_queueLabel->setText(inQueue ? QStringLiteral("第%1张，共%2张：%3")
                                        .arg(m_current + 1)
                                        .arg(m_queue.size())
                                        .arg(QFileInfo(m_queue.at(m_current)).fileName())
                                  : QString());
    m_status->setText(reading                      ? QStringLiteral("正在识别名片……")
                          : m_state == State::Idle ? QStringLiteral("没有待处理的名片。")
                                                   : QString());
}
