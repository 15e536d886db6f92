#include "frmKlasorSec.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QStorageInfo>
#include <QTreeView>

#include "ui_frmKlasorSec.h"

#include "KeepOnTop.h"

namespace {

// Volumes of the system's own workings, not where a user keeps files.
bool isSystemVolume(const QString& root) {
    for (const char* own : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot"})
        if (root == QLatin1String(own) || root.startsWith(QLatin1String(own) + QLatin1Char('/')))
            return true;
    return false;
}

} // namespace

frmKlasorSec::frmKlasorSec(QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_ui(std::make_unique<Ui_frmKlasorSec>())
    , m_model(new QFileSystemModel(this)) {
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    KeepOnTop(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setRootPath(QDir::rootPath());
    m_ui->Dir1->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_ui->Dir1->hideColumn(column);
    m_ui->Drive1->addItems(drives());
    connect(m_ui->Drive1, &QComboBox::currentIndexChanged, this, &frmKlasorSec::Drive1_Change);
    connect(m_ui->cmdSec, &QPushButton::clicked, this, &frmKlasorSec::cmdSec_Click);
    Drive1_Change();
    // The design size; centred over the opener, which replaces the place
    // KeepOnTop gave it.
    resize(292, 216);
    if (parentWidget())
        move(parentWidget()->window()->geometry().center() - rect().center());
}

frmKlasorSec::~frmKlasorSec() = default;

void frmKlasorSec::setTarget(QLineEdit* target) {
    m_target = target;
}

QStringList frmKlasorSec::drives() {
    QStringList list{QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && !isSystemVolume(root) && !list.contains(root))
            list << root;
    }
    return list;
}

void frmKlasorSec::Drive1_Change() {
    const QString drive = m_ui->Drive1->currentText();
    // A drive that is not there leaves the tree as it was.
    if (drive.isEmpty() || !QFileInfo(drive).isDir())
        return;
    m_ui->Dir1->setRootIndex(m_model->index(drive));
    m_ui->Dir1->setCurrentIndex(m_model->index(drive));
}

void frmKlasorSec::selectFolder(const QString& path) {
    m_ui->Dir1->setCurrentIndex(m_model->index(path));
}

void frmKlasorSec::cmdSec_Click() {
    const QModelIndex chosen = m_ui->Dir1->currentIndex();
    if (m_target && chosen.isValid())
        m_target->setText(QDir::toNativeSeparators(m_model->filePath(chosen)));
    close();
}
