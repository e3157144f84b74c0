#include "download/dialog/dn_login.h"

#include "files/files.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <qt6keychain/keychain.h>

ODnLoginP DnLoginP;

void DnLogin_Reset() { DnLoginP = ODnLoginP{}; }

namespace {

QString Tr(const std::string& key) { return QString::fromStdString(LangGetKeyVal(key)); }

// One entry of the desktop's store, under the game's own service name.
const char* const kSecretService = "Zivra Jigsaw";
const char* const kSecretKey = "download-login";

// Runs a keychain job to its end or until the deadline; false on either
// an error or the deadline (the job then deletes itself when it ends).
bool RunJob(QKeychain::Job* job, double seconds)
{
    QEventLoop loop;
    bool done = false, ok = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* j) {
        done = true;
        ok = j->error() == QKeychain::NoError;
        if (!ok)
            Platform().Log("secret store: " + j->errorString().toStdString());
        loop.quit();
    });
    QTimer::singleShot(int(seconds * 1000.0), &loop, &QEventLoop::quit);
    job->start();
    if (!done)
        loop.exec();
    if (!done)
        Platform().Log("secret store: no answer; going on without it");
    return done && ok;
}

class OKeychainStore : public IDnSecretStore {
public:
    explicit OKeychainStore(double seconds) : seconds_(seconds) {}

    bool Read(std::string* login, std::string* password) override
    {
        auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kSecretService));
        job->setAutoDelete(true);
        job->setKey(QString::fromLatin1(kSecretKey));
        // The text is taken when the job ends: an auto-deleted job is gone after. A job that
        // ends after the deadline finds the connection gone with `scope`.
        QString text;
        QObject scope;
        QObject::connect(job, &QKeychain::Job::finished, &scope, [&text](QKeychain::Job* j) {
            if (j->error() == QKeychain::NoError)
                text = static_cast<QKeychain::ReadPasswordJob*>(j)->textData();
        });
        return RunJob(job, seconds_) && DnUnpackSecret(text.toStdString(), login, password);
    }

    bool Write(const std::string& login, const std::string& password) override
    {
        auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kSecretService));
        job->setAutoDelete(true);
        job->setKey(QString::fromLatin1(kSecretKey));
        job->setTextData(QString::fromStdString(DnPackSecret(login, password)));
        return RunJob(job, seconds_);
    }

private:
    double seconds_;
};

}  // namespace

std::unique_ptr<IDnSecretStore> MakeKeychainStore(double seconds) { return std::make_unique<OKeychainStore>(seconds); }

std::string DnPackSecret(const std::string& login, const std::string& password) { return login + "\n" + password; }

bool DnUnpackSecret(const std::string& value, std::string* login, std::string* password)
{
    const size_t nl = value.find('\n');
    if (nl == std::string::npos || nl == 0)
        return false;
    *login = value.substr(0, nl);
    *password = value.substr(nl + 1);
    return true;
}

// ---- The dialog -------------------------------------------------------------------------------

MCDnLogin::MCDnLogin(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    auto* root = new QVBoxLayout(this);
    o_Prompt = new QLabel(this);
    o_Prompt->setWordWrap(true);
    root->addWidget(o_Prompt);
    auto* form = new QFormLayout;
    o_LoginCap = new QLabel(this);
    o_PasswordCap = new QLabel(this);
    o_Login = new QLineEdit(this);
    o_Password = new QLineEdit(this);
    o_Password->setEchoMode(QLineEdit::Password);
    o_Login->setMinimumWidth(240);
    form->addRow(o_LoginCap, o_Login);
    form->addRow(o_PasswordCap, o_Password);
    root->addLayout(form);
    o_Remember = new QCheckBox(this);
    root->addWidget(o_Remember);
    auto* buttons = new QDialogButtonBox(this);
    o_ButOk = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    o_ButCancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    o_ButOk->setDefault(true);
    root->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(o_Login, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    TranslateForm();
    UpdateOk();
}

void MCDnLogin::TranslateForm()
{
    setWindowTitle(Tr("Login_FormCaption"));
    o_Prompt->setText(QString::fromStdString(LangFormat(CaretMesFormat("L_LoginPrompt"), {sHost_})));
    o_LoginCap->setText(Tr("L_LoginName"));
    o_PasswordCap->setText(Tr("L_LoginPassword"));
    o_Remember->setText(Tr("CB_LoginRemember"));
    o_ButOk->setText(Tr("B_Ok"));
    o_ButCancel->setText(Tr("B_Cancel"));
}

void MCDnLogin::Preset(const std::string& host, const std::string& login)
{
    sHost_ = host;
    o_Login->setText(QString::fromStdString(login));
    o_Password->clear();
    o_Remember->setChecked(false);
    TranslateForm();
    (login.empty() ? o_Login : o_Password)->setFocus();
}

// A name is needed; Basic authentication cannot carry one holding a colon.
void MCDnLogin::UpdateOk()
{
    const QString name = o_Login->text();
    o_ButOk->setEnabled(!name.trimmed().isEmpty() && !name.contains(QLatin1Char(':')));
}

TDnLoginAnswer MCDnLogin::Answer() const
{
    return {o_Login->text().toStdString(), o_Password->text().toStdString(), o_Remember->isChecked()};
}

// ---- Credentials for the run ----------------------------------------------------------------

bool CheckLoginPassword(IDnSecretStore* store, const TDnAskLogin& ask)
{
    if (!DnLoginP.sLogin.empty())
        return true;
    if (store && !DnLoginP.bStoreTried && !DnLoginP.bStoreRefused) {
        DnLoginP.bStoreTried = true;
        std::string login, password;
        if (store->Read(&login, &password)) {
            DnLoginP.sLogin = login;
            DnLoginP.sPassword = password;
            return true;
        }
    }
    TDnLoginAnswer answer;
    if (!ask || !ask(DnLoginP.sHost, DnLoginP.sLastLogin, &answer))
        return false;
    if (answer.login.empty())
        return false;
    DnLoginP.sLogin = answer.login;
    DnLoginP.sPassword = answer.password;
    DnLoginP.sLastLogin = answer.login;
    if (answer.remember && store && !store->Write(answer.login, answer.password))
        Platform().Log("download: the login is kept for this run only");
    return true;
}

void ForgetLoginPassword()
{
    DnLoginP.sPassword.clear();
    // The name stays offered in the dialog; the store's copy is not read again this run.
    DnLoginP.bStoreRefused = true;
    DnLoginP.sLastLogin = DnLoginP.sLogin;
    DnLoginP.sLogin.clear();
}
