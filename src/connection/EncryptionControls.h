#pragma once
// The controls both connection dialogs ask for encryption with: "Encrypt connection" (Optional,
// Mandatory, Strict) and "Trust server certificate".
#include "SqlServerEncryption.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QWidget;

struct TEncryptionControls {
    QComboBox* cbEncryption = nullptr;
    QCheckBox* cbTrustServerCertificate = nullptr;

    void Show(velmora::ado::TEncryptionMode Mode, bool TrustServerCertificate);
    velmora::ado::TEncryptionMode Mode() const;
    bool TrustServerCertificate() const;
};

// Makes the controls in Parent and adds them as rows of Form; Optional and untrusted at first.
TEncryptionControls AddEncryptionControls(QWidget* Parent, QFormLayout* Form);
