#include "gui/dhcp/AdvancedServerSetDlg.h"

#include "core/dhcp/DhcpEngine.h"
#include "gui/controls/IPAddressField.h"
#include "gui/controls/MessageBox.h"
#include "gui/dhcp/IPInputDlg.h"
#include "net/dhcp/HostAddress.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kRouterColumnWidth = 300;

const QString kSelectItem = QStringLiteral("Select the item in the list!!");
const QString kSelectItemCaption = QStringLiteral("retry");
const QString kSameRouter = QStringLiteral("there is same router !!");
const QString kNotInDb = QStringLiteral("can't find the router in db!!");
const QString kWarningCaption = QStringLiteral("warning");
const QString kInputErrorCaption = QStringLiteral("input error");

} // namespace

CAdvancedServerSetDlg::CAdvancedServerSetDlg(QWidget* parent) : CInitDialog(parent)
{
    setObjectName(QStringLiteral("advancedServerSetDlg"));
    setWindowTitle(kTitle);

    auto* group = new QGroupBox(QStringLiteral("Router"), this);
    group->setObjectName(QStringLiteral("routerGroup"));
    m_listRouter = new QTableWidget(0, 1, group);
    m_listRouter->setObjectName(QStringLiteral("routerList"));
    m_listRouter->setAccessibleName(QStringLiteral("Router"));
    m_listRouter->setHorizontalHeaderLabels({QStringLiteral("Router")});
    m_listRouter->horizontalHeader()->hide();
    m_listRouter->verticalHeader()->hide();
    m_listRouter->setShowGrid(false);
    m_listRouter->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listRouter->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listRouter->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listRouter->setColumnWidth(0, kRouterColumnWidth);
    m_listRouter->setMinimumWidth(kRouterColumnWidth / 2);
    m_listRouter->viewport()->installEventFilter(this);
    m_listRouter->installEventFilter(this);

    m_addButton = new QPushButton(QStringLiteral("ADD"), this);
    m_addButton->setObjectName(QStringLiteral("addButton"));
    m_editButton = new QPushButton(QStringLiteral("Edit"), this);
    m_editButton->setObjectName(QStringLiteral("editButton"));
    m_removeButton = new QPushButton(QStringLiteral("Remove"), this);
    m_removeButton->setObjectName(QStringLiteral("removeButton"));

    auto* serverLabel = new QLabel(QStringLiteral("DHCP Server IP"), this);
    serverLabel->setObjectName(QStringLiteral("serverIPLabel"));
    m_ipServer = new CIPAddressField(this);
    m_ipServer->setObjectName(QStringLiteral("serverIP"));
    m_ipServer->SetFieldName(QStringLiteral("DHCP Server IP"));
    m_ipServer->setEnabled(false);
    serverLabel->setBuddy(m_ipServer);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* button : {m_addButton, m_editButton, m_removeButton, m_okButton, m_cancelButton}) {
        button->setAccessibleName(button->text());
        if (button != m_okButton) {
            button->setAutoDefault(false);
        }
    }

    connect(m_addButton, &QPushButton::clicked, this, &CAdvancedServerSetDlg::OnAddRouter);
    connect(m_editButton, &QPushButton::clicked, this, &CAdvancedServerSetDlg::OnEditRouter);
    connect(m_removeButton, &QPushButton::clicked, this, &CAdvancedServerSetDlg::OnRemoveRouter);
    connect(m_okButton, &QPushButton::clicked, this, &CAdvancedServerSetDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* routerButtons = new QVBoxLayout;
    routerButtons->addWidget(m_addButton);
    routerButtons->addWidget(m_editButton);
    routerButtons->addWidget(m_removeButton);
    routerButtons->addStretch();
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(m_listRouter, 1);
    groupLayout->addLayout(routerButtons);

    auto* server = new QHBoxLayout;
    server->addWidget(serverLabel);
    server->addWidget(m_ipServer);
    server->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(server);
    layout->addLayout(buttons);
}

void CAdvancedServerSetDlg::AppendRow(const QString& router)
{
    const int row = m_listRouter->rowCount();
    m_listRouter->insertRow(row);
    m_listRouter->setItem(row, 0, new QTableWidgetItem(router));
}

void CAdvancedServerSetDlg::AddRouter(const std::string& router)
{
    if (m_settings.AddRouter(router)) {
        m_routerChanges.push_back({true, router});
    }
}

void CAdvancedServerSetDlg::RemoveRouter(int index)
{
    const std::string router = m_settings.GetRouter(index);
    m_settings.RemoveRouter(index);
    m_routerChanges.push_back({false, router});
}

void CAdvancedServerSetDlg::OnInitDialog()
{
    m_listRouter->setRowCount(0);
    m_routerChanges.clear();
    m_settings.Load();
    for (int i = 0; i < m_settings.GetRouterCount(); ++i) {
        AppendRow(QString::fromStdString(m_settings.GetRouter(i)));
    }

    if (const auto host = CHostAddress::Of(0)) {
        m_ipServer->SetAddress(*host);
    } else {
        m_ipServer->SetAddress({0, 0, 0, 0});
        CMessageBox::Show(this, QString::fromLatin1(corvane::dhcp::kStatusNoHostIp));
    }
}

bool CAdvancedServerSetDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_listRouter->viewport() && event->type() == QEvent::MouseButtonPress) {
        OnClickRouterList(static_cast<QMouseEvent*>(event)->position().toPoint());
    } else if (watched == m_listRouter && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        // The keyboard's click: the row with the focus.
        const int row = m_listRouter->currentRow();
        OnClickRouterList(row < 0 ? QPoint(-1, -1) : m_listRouter->visualItemRect(m_listRouter->item(row, 0)).center());
    }
    return QDialog::eventFilter(watched, event);
}

void CAdvancedServerSetDlg::OnClickRouterList(const QPoint& pos)
{
    const QModelIndex index = m_listRouter->indexAt(pos);
    m_nSelRouter = index.isValid() ? index.row() : -1;
}

void CAdvancedServerSetDlg::OnAddRouter()
{
    // An option carries at most 255 bytes, so no more routers than that can reach a client.
    if (m_settings.GetRouterCount() >= corvane::dhcp::kMaxOptionAddresses) {
        CMessageBox::Show(this,
                          QStringLiteral("No more than %1 routers can be handed to the clients !!")
                              .arg(corvane::dhcp::kMaxOptionAddresses),
                          kInputErrorCaption);
        return;
    }
    CIPInputDlg input(this, CIPInputDlg::kAdd, QStringLiteral("Router Add"), QStringLiteral("Input the Router Address"),
                      QString());
    if (input.DoModal() != QDialog::Accepted) {
        return;
    }
    const std::string router = input.m_strIP.toStdString();
    if (m_settings.FindRouter(router) != -1) {
        CMessageBox::Show(this, kSameRouter, kInputErrorCaption);
        return;
    }
    if (m_settings.AddRouter(router)) {
        m_routerChanges.push_back({true, router});
        AppendRow(input.m_strIP);
    }
}

void CAdvancedServerSetDlg::OnEditRouter()
{
    if (m_nSelRouter == -1) {
        CMessageBox::Show(this, kSelectItem, kSelectItemCaption);
        return;
    }
    const int row = m_nSelRouter;
    const QTableWidgetItem* item = m_listRouter->item(row, 0);
    const QString old = item ? item->text() : QString();
    CIPInputDlg input(this, CIPInputDlg::kEdit, QStringLiteral("Router Edit"),
                      QStringLiteral("Edit the Router Address"), old);
    if (input.DoModal() != QDialog::Accepted) {
        return;
    }
    const int index = m_settings.FindRouter(old.toStdString());
    if (index == -1) {
        CMessageBox::Show(this, kNotInDb, kWarningCaption);
        return;
    }
    const std::string router = input.m_strIP.toStdString();
    if (m_settings.FindRouter(router) != -1) {
        CMessageBox::Show(this, kSameRouter, kWarningCaption);
        return;
    }
    // The edited router goes to the end of the list.
    RemoveRouter(index);
    AddRouter(router);
    m_listRouter->removeRow(row);
    m_nSelRouter = -1;
    AppendRow(input.m_strIP);
}

void CAdvancedServerSetDlg::OnRemoveRouter()
{
    if (m_nSelRouter == -1) {
        CMessageBox::Show(this, kSelectItem, kSelectItemCaption);
        return;
    }
    const int row = m_nSelRouter;
    const QTableWidgetItem* item = m_listRouter->item(row, 0);
    const int index = item ? m_settings.FindRouter(item->text().toStdString()) : -1;
    if (index == -1) {
        CMessageBox::Show(this, kNotInDb, kWarningCaption);
        return;
    }
    RemoveRouter(index);
    m_listRouter->removeRow(row);
    m_nSelRouter = -1;
}

void CAdvancedServerSetDlg::OnOK()
{
    if (m_listRouter->rowCount() == 0) {
        CMessageBox::Show(this, QStringLiteral("At least a ROUTER is needed. Add the router."),
                          QStringLiteral("Check Router"));
        return;
    }
    const std::string serverIP = m_ipServer->Text().toStdString();
    const bool saved = m_settings.Update([this, &serverIP](CAdvancedServerDB& settings) {
        for (const RouterChange& change : m_routerChanges) {
            const int index = settings.FindRouter(change.router);
            if (change.add && index == -1) {
                settings.AddRouter(change.router);
            } else if (!change.add && index != -1) {
                settings.RemoveRouter(index);
            }
        }
        settings.SetDomainName("removed");
        settings.SetServerIP(serverIP);
        settings.SetLeaseTime(-1);
        return true;
    });
    // A file that could not be written has been reported by the store; the dialog stays open so
    // that nobody is told the settings were updated.
    if (!saved) {
        return;
    }
    m_routerChanges.clear();
    accept();
}
