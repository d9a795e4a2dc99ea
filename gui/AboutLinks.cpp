#include "AboutLinks.h"

#include "ui_WinkwellGUI.h"

#include <QDebug>
#include <QDesktopServices>
#include <QUrl>

namespace AboutLinks {

namespace {
bool has(const char* address)
{
    return address && *address;
}

QString link(const char* address, const QString& text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(QLatin1String(address), text.toHtmlEscaped());
}
} // namespace

void apply(Ui::widget_winkwell& ui)
{
    ui.toolButton_7->setVisible(has(partnerSite));
    ui.widget_cooperations->setVisible(has(partnerSite));
    ui.toolButton_facebook->setVisible(has(socialMediaPage));
    ui.label_learnMoreMGD->setVisible(has(mgdPage));
    if (has(mgdPage)) {
        ui.label_learnMoreMGD->setText(
            link(mgdPage, QCoreApplication::translate("widget_winkwell", "learn more")));
    }
    QStringList links;
    if (has(helpPage)) {
        links << link(helpPage, QCoreApplication::translate("widget_winkwell", "Help"));
    }
    if (has(privacyPolicyPage)) {
        links << link(privacyPolicyPage,
                      QCoreApplication::translate("widget_winkwell", "Privacy policy"));
    }
    ui.label_aboutLinks->setText(links.join(QStringLiteral(" · ")));
    ui.label_aboutLinks->setVisible(!links.isEmpty());
}

bool open(const char* address)
{
    if (!has(address)) {
        qDebug() << "AboutLinks: no address for this link";
        return false;
    }
    return QDesktopServices::openUrl(QUrl(QLatin1String(address)));
}

} // namespace AboutLinks
