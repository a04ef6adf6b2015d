#include "storage/LoadingErrorAlert.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "storage/BibDatabase.h"

QString LoadingErrorAlert::titleFor(const BibDatabase &database, const QStringList &errors)
{
    if (errors.size() == 1)
        return Texts::format(u"LoadingErrors1", {database.description()});
    return Texts::format(u"LoadingErrors",
                         {QString::number(errors.size()), database.description()});
}

QString LoadingErrorAlert::messageFor(const QStringList &errors)
{
    QString message;
    for (const QString &error : errors)
        message += QStringLiteral("* ") + error + u'\n';
    return message;
}

void LoadingErrorAlert::openAlertWithDatabase(BibDatabase *database, const QStringList &errors)
{
    AlertRequest request;
    request.title = titleFor(*database, errors);
    request.message = messageFor(errors);
    request.defaultButton = Texts::text(u"OK");
    request.alternateButton = Texts::text(u"Cancel");
    const int answer = AlertPresenter::show(request);
    database->setWaitingStatus(answer == 1 ? 0 : 2);
}
