#include "EncryptionControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

using velmora::ado::TEncryptionMode;

void TEncryptionControls::Show(TEncryptionMode Mode, bool TrustServerCertificate) {
    cbEncryption->setCurrentIndex(static_cast<int>(Mode));
    cbTrustServerCertificate->setChecked(TrustServerCertificate);
}

TEncryptionMode TEncryptionControls::Mode() const {
    return static_cast<TEncryptionMode>(cbEncryption->currentIndex());
}

bool TEncryptionControls::TrustServerCertificate() const {
    return cbTrustServerCertificate->isChecked();
}

TEncryptionControls AddEncryptionControls(QWidget* Parent, QFormLayout* Form) {
    TEncryptionControls controls;
    controls.cbEncryption = new QComboBox(Parent);
    controls.cbEncryption->setObjectName("cbEncryption");
    // In the order of TEncryptionMode.
    controls.cbEncryption->addItems({"Optional", "Mandatory", "Strict"});
    controls.cbEncryption->setToolTip(
        "Optional: encrypted when the server insists, the certificate not checked. Mandatory: "
        "always encrypted, the certificate checked. Strict: TLS before the login's first "
        "packet (TDS 8.0).");
    controls.cbTrustServerCertificate = new QCheckBox("Trust server certificate", Parent);
    controls.cbTrustServerCertificate->setObjectName("cbTrustServerCertificate");
    controls.cbTrustServerCertificate->setToolTip(
        "Encrypt without checking who issued the server's certificate and for which name.");
    Form->addRow("Encrypt connection", controls.cbEncryption);
    Form->addRow(controls.cbTrustServerCertificate);
    return controls;
}
