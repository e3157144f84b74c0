// The player's name and password for the download site: asked for in a
// small dialog when none are known, kept in memory for the run, and, when
// the player ticks the box, remembered in the desktop's secret store.
//
// The secret store is a convenience: when the desktop has none (no secret
// service, as under the tests) reading finds nothing and writing is logged
// and forgotten; the download goes on with the credentials in memory.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// ---- The secret store ---------------------------------------------------------------------
class IDnSecretStore {
public:
    virtual ~IDnSecretStore() = default;
    // The remembered credentials; false when there are none or the store cannot be reached.
    virtual bool Read(std::string* login, std::string* password) = 0;
    // Remembers them; false (nothing else happens) when the store cannot be reached.
    virtual bool Write(const std::string& login, const std::string& password) = 0;
};
// The desktop's secret store through QtKeychain; every call gives up after
// `seconds` so that a store that never answers cannot hang the dialog.
std::unique_ptr<IDnSecretStore> MakeKeychainStore(double seconds = 3.0);
// Credentials packed for the store ("login\npassword") and back; false for a
// value that is not one of ours.
std::string DnPackSecret(const std::string& login, const std::string& password);
bool DnUnpackSecret(const std::string& value, std::string* login, std::string* password);

// ---- Credentials for the run ----------------------------------------------------------------
struct ODnLoginP {
    std::string sLogin, sPassword;   // known for this run; empty until given
    bool bStoreTried = false;        // the secret store was read once this run
    bool bStoreRefused = false;      // the server refused what the store held: ask instead
    std::string sLastLogin;          // the name last given, offered again after a refusal
    std::string sHost;               // shown in the dialog's prompt
};
extern ODnLoginP DnLoginP;  // per run
void DnLogin_Reset();

// The name and password dialog. Answers false on Cancel; on OK the two
// texts and the remember box.
struct TDnLoginAnswer {
    std::string login, password;
    bool remember = false;
};
class MCDnLogin : public QDialog {
    Q_OBJECT
public:
    explicit MCDnLogin(QWidget* parent);
    void TranslateForm();
    void Preset(const std::string& host, const std::string& login);
    TDnLoginAnswer Answer() const;

    QLabel* o_Prompt = nullptr;
    QLabel* o_LoginCap = nullptr;
    QLabel* o_PasswordCap = nullptr;
    QLineEdit* o_Login = nullptr;
    QLineEdit* o_Password = nullptr;
    QCheckBox* o_Remember = nullptr;
    QPushButton* o_ButOk = nullptr;
    QPushButton* o_ButCancel = nullptr;

private:
    void UpdateOk();
    std::string sHost_;
};

// How CheckLoginPassword asks: the dialog above by default; tests answer
// without a window.
using TDnAskLogin = std::function<bool(const std::string& host, const std::string& login, TDnLoginAnswer* answer)>;
// Makes credentials available: those of this run, else the store's (read
// once a run), else the player's answer to the dialog (kept for the run and
// written to the store when asked). False when the player cancelled.
bool CheckLoginPassword(IDnSecretStore* store, const TDnAskLogin& ask);
// The server refused the credentials: forget them for the run and ask the
// next time (the dialog offers the name again).
void ForgetLoginPassword();
