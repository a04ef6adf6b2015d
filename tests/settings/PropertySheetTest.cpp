#include "GuiTestMain.h"

#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "settings/ConditionRow.h"
#include "settings/DescriptionSheet.h"
#include "settings/EncodingPopup.h"
#include "settings/LineEndingPopup.h"
#include "settings/LocalPropertySheet.h"
#include "settings/PropertySheets.h"
#include "settings/SmartLibrarySheet.h"
#include "storage/LibraryGroup.h"
#include "storage/LibraryTestSupport.h"
#include "storage/LocalDatabaseProperties.h"
#include "storage/SmartLibrary.h"
#include "storage/SmartLibraryProperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace Qt::StringLiterals;

class PropertySheetTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LibraryTree> m_tree;

    std::function<BibDatabase *()> root()
    {
        return [this] { return &m_tree->root(); };
    }

    static QList<int> offered(const ConditionRow &row)
    {
        QList<int> codes;
        for (int i = 0; i < row.conditionPopup()->count(); ++i)
            codes.append(row.conditionPopup()->itemData(i).toInt());
        return codes;
    }

private Q_SLOTS:
    void init() { m_tree = std::make_unique<LibraryTree>(); }
    void cleanup() { m_tree.reset(); }

    void groupSheetConfirmAndCancel_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirm") << true;
        QTest::newRow("cancel") << false;
    }

    void groupSheetConfirmAndCancel()
    {
        QFETCH(bool, confirm);
        BibDatabase *group =
            m_tree->root().insertChild(LibraryGroup::libGroupWithName(u"Old"_s, {}), -1);
        group->setDirty(false);
        QPointer<QDialog> sheet = PropertySheets::open(*group, nullptr, root());
        auto *plain = qobject_cast<DescriptionSheet *>(sheet.data());
        QVERIFY(plain);
        QCOMPARE(plain->descriptionField()->text(), u"Old"_s);
        plain->descriptionField()->setText(u"  New name "_s);
        confirm ? plain->accept() : plain->reject();
        QCOMPARE(group->description(), confirm ? u"New name"_s : u"Old"_s);
        QCOMPARE(group->isDirty(), confirm);
        QTRY_VERIFY(!sheet); // the sheet deletes itself
    }

    void emptyNameCannotBeConfirmed()
    {
        DescriptionSheet sheet(u"t"_s, u"name"_s);
        sheet.descriptionField()->setText(u"   "_s);
        QVERIFY(!sheet.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
    }

    void rootHasNoSheet() { QVERIFY(!PropertySheets::open(m_tree->root(), nullptr, root())); }

    void localSheetConfirmStoresTheFileSettings()
    {
        LocalDatabase *db =
            m_tree->open(LibraryTree::makeDatabase(u"db"_s, {u"a1|article|title = {T}"_s}));
        db->properties().setDescription(u"Old"_s);
        QSignalSpy reloads(&m_tree->coordinator(), &LoadingCoordinator::reloadRequested);
        auto *sheet =
            qobject_cast<LocalPropertySheet *>(PropertySheets::open(*db, nullptr, root()));
        QVERIFY(sheet);
        sheet->descriptionField()->setText(u"Renamed"_s);
        sheet->encodingPopup()->setEncoding(TextEncodings::ISOLatin1);
        sheet->lineEndingPopup()->setLineEnding(1);
        sheet->attachmentModePopup()->setCurrentIndex(2);
        sheet->attachmentPathField()->setText(u"Papers"_s);
        sheet->keepFullPathCheck()->setChecked(true);
        sheet->suppressCheck()->setChecked(true);
        sheet->accept();

        const LocalDatabaseProperties &p = db->localProperties();
        QCOMPARE(p.description(), u"Renamed"_s);
        QCOMPARE(p.encoding(), unsigned(TextEncodings::ISOLatin1));
        QCOMPARE(p.lineEnding(), 1);
        QCOMPARE(p.fileAttachmentMode(), 2);
        QCOMPARE(p.attachmentPath(), u"Papers"_s);
        QVERIFY(p.keepFullPath());
        QCOMPARE(p.uniqueID(), u"db"_s);
        QVERIFY(BibPreferences::globalPreferences()->suppressWarning(u"db"_s));
        // The entries show the new name, and the list re-sorts.
        QCOMPARE(db->allItems()->front()->fieldDataForView(u"database"_s), u"Renamed"_s);
        QVERIFY(!reloads.isEmpty());
        QCOMPARE(reloads.last().at(0).toBool(), true);
        BibPreferences::globalPreferences()->removeSuppressDatabase(u"db"_s);
    }

    void localSheetReloadsWithoutResortWhenTheNameStays()
    {
        LocalDatabase *db = m_tree->open(LibraryTree::makeDatabase(u"db"_s, {}));
        QSignalSpy reloads(&m_tree->coordinator(), &LoadingCoordinator::reloadRequested);
        auto *sheet =
            qobject_cast<LocalPropertySheet *>(PropertySheets::open(*db, nullptr, root()));
        sheet->lineEndingPopup()->setLineEnding(0);
        sheet->accept();
        QCOMPARE(db->localProperties().lineEnding(), 0);
        QCOMPARE(reloads.last().at(0).toBool(), false);
    }

    void localSheetCancelChangesNothing()
    {
        LocalDatabase *db = m_tree->open(LibraryTree::makeDatabase(u"db"_s, {}));
        const QVariantMap before = db->localProperties().makePropertyDictionary();
        auto *sheet =
            qobject_cast<LocalPropertySheet *>(PropertySheets::open(*db, nullptr, root()));
        sheet->descriptionField()->setText(u"Other"_s);
        sheet->lineEndingPopup()->setLineEnding(0);
        ScriptedAlertPresenter alerts({1});
        sheet->toggleReservation(); // reserved in the copy only
        QVERIFY(!sheet->properties().privilegedUser().isEmpty());
        sheet->reject();
        QCOMPARE(db->localProperties().makePropertyDictionary(), before);
        QVERIFY(!db->isDirty());
    }

    void someoneElsesFileTakesOnlyTheWarningSwitch()
    {
        LocalDatabase *db = m_tree->open(LibraryTree::makeDatabase(u"db"_s, {}));
        db->localProperties().setPrivilegedHost(u"elsewhere.invalid"_s);
        db->localProperties().setPrivilegedUser(u"ann"_s);
        const QVariantMap before = db->localProperties().makePropertyDictionary();
        auto *sheet =
            qobject_cast<LocalPropertySheet *>(PropertySheets::open(*db, nullptr, root()));
        QVERIFY(!sheet->descriptionField()->isEnabled());
        sheet->suppressCheck()->setChecked(true);
        sheet->buttons()->button(QDialogButtonBox::Ok)->click();
        QVERIFY(BibPreferences::globalPreferences()->suppressWarning(u"db"_s));
        QCOMPARE(db->localProperties().makePropertyDictionary(), before);
        BibPreferences::globalPreferences()->removeSuppressDatabase(u"db"_s);
    }

    void reservation_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("reservedAfter");
        const QString me = LocalDatabaseProperties::consoleUserName();
        const QString here = LocalDatabaseProperties::computerName();
        QTest::newRow("free, reserve")
            << QString() << QString() << 1 << u"GetPrivilegeMessage"_s << true;
        QTest::newRow("free, cancel")
            << QString() << QString() << 0 << u"GetPrivilegeMessage"_s << false;
        QTest::newRow("mine, release") << here << me << 1 << u"ReleasePrivilegeMessage"_s << false;
        QTest::newRow("mine, keep") << here << me << 0 << u"ReleasePrivilegeMessage"_s << true;
        // Someone else's: Cancel is the default button.
        QTest::newRow("other's, cancel")
            << u"elsewhere"_s << u"ann"_s << 1 << u"ReleaseOthersPrivilegeMessage"_s << true;
        QTest::newRow("other's, release")
            << u"elsewhere"_s << u"ann"_s << 0 << u"ReleaseOthersPrivilegeMessage"_s << false;
    }

    void reservation()
    {
        QFETCH(QString, host);
        QFETCH(QString, user);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(bool, reservedAfter);
        LocalDatabaseProperties record;
        record.setFullPath(u"/tmp/x.bib"_s);
        record.setPrivilegedHost(host);
        record.setPrivilegedUser(user);
        if (!user.isEmpty())
            record.setPrivilegedSince(u"2026-01-02T03:04:05Z"_s);
        LocalPropertySheet sheet(record, false);
        QWidget *encoding = sheet.encodingPopup();
        QCOMPARE(encoding->isEnabled(), record.hasPrivilegeToWrite());
        QVERIFY(sheet.suppressCheck()->isEnabled());
        if (!user.isEmpty()) {
            QVERIFY(sheet.reservationLabel()->text().contains(user));
            QVERIFY(sheet.reservationLabel()->text().contains(host));
            QVERIFY(sheet.reservationLabel()->text().contains(u"2026"_s));
        }
        ScriptedAlertPresenter alerts({answer});
        sheet.toggleReservation();
        QCOMPARE(alerts.requests().size(), size_t(1));
        QVERIFY(alerts.requests().front().message.startsWith(Texts::text(question).left(12)));
        const LocalDatabaseProperties &after = sheet.properties();
        QCOMPARE(!after.privilegedUser().isEmpty(), reservedAfter);
        QCOMPARE(!after.privilegedSince().isEmpty(), reservedAfter);
        QVERIFY(after.hasPrivilegeToWrite() || reservedAfter);
        QCOMPARE(encoding->isEnabled(), after.hasPrivilegeToWrite());
    }

    void reservationSinceSurvivesTheTreeDictionary()
    {
        LocalDatabaseProperties record;
        record.reserve();
        const auto copy = LocalDatabaseProperties::propertiesWithDictionary(
            record.makePropertyDictionary(), nullptr);
        QCOMPARE(copy->privilegedSince(), record.privilegedSince());
        QVERIFY(copy->hasPrivilegeToWrite());
    }

    void conditionsEditorOffersTheAllowedCombinations_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QList<int>>("conditions");
        const QList<int> text = {1, 2, 3, 4, 5, 6, 7};
        for (int target : {1, 2, 10, 11, 12, 13, 14, 15, 16})
            QTest::addRow("target %d", target) << target << text;
        QTest::newRow("year") << 20 << text + QList<int>{20, 21};
        QTest::newRow("modified") << 25 << text + QList<int>{20, 21, 25, 26};
        QTest::newRow("attachment") << 30 << text + QList<int>{30, 31};
        QTest::newRow("identical") << 40 << QList<int>{40};
    }

    void conditionsEditorOffersTheAllowedCombinations()
    {
        QFETCH(int, target);
        QFETCH(QList<int>, conditions);
        ConditionRow row(SmartSearchCondition::newCondition());
        row.targetPopup()->setCurrentIndex(row.targetPopup()->findData(target));
        QCOMPARE(offered(row), conditions);
        QCOMPARE(row.targetPopup()->count(), 13);
    }

    void conditionsEditorFallsBackAndPresets_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("condition");
        QTest::addColumn<bool>("caseEnabled");
        QTest::addColumn<bool>("textEnabled");
        QTest::newRow("year") << 20 << 20 << false << true;
        QTest::newRow("modified") << 25 << 25 << false << true;
        QTest::newRow("attachment") << 30 << 30 << true << false;
        QTest::newRow("field names") << 2 << 1 << false << true;
        QTest::newRow("key") << 11 << 1 << true << true;
    }

    void conditionsEditorFallsBackAndPresets()
    {
        QFETCH(int, target);
        QFETCH(int, condition);
        QFETCH(bool, caseEnabled);
        QFETCH(bool, textEnabled);
        // "ends with" on the identical target is offered nowhere else but 1-7.
        ConditionRow row(SmartSearchCondition::conditionWith(40, 40, QString(), true));
        row.targetPopup()->setCurrentIndex(row.targetPopup()->findData(target));
        QCOMPARE(row.conditionPopup()->currentData().toInt(), condition);
        QCOMPARE(row.caseCheck()->isEnabled(), caseEnabled);
        QCOMPARE(row.searchField()->isEnabled(), textEnabled);
        if (target == 20)
            QCOMPARE(row.searchField()->text(), QString::number(QDate::currentDate().year()));
        const SmartSearchCondition result = row.condition();
        QCOMPARE(result.targetFieldChoice(), target);
        QCOMPARE(result.conditionChoice(), condition);
        if (!caseEnabled)
            QVERIFY(!result.caseSensitive());
    }

    void smartSheetConfirmAndCancel_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirm") << true;
        QTest::newRow("cancel") << false;
    }

    void smartSheetConfirmAndCancel()
    {
        QFETCH(bool, confirm);
        m_tree->open(LibraryTree::makeDatabase(
            u"db"_s, {u"a1|article|year = {2001}"_s, u"b2|book|year = {1990}"_s}));
        auto *library = static_cast<SmartLibrary *>(
            m_tree->root().insertChild(SmartLibrary::smartLibraryWithName(u"Recent"_s), -1));
        const QVariantMap before = library->properties().makePropertyDictionary();
        auto *sheet =
            qobject_cast<SmartLibrarySheet *>(PropertySheets::open(*library, nullptr, root()));
        QVERIFY(sheet);
        QCOMPARE(sheet->databasePopup()->count(), 2); // all, and "db"
        sheet->databasePopup()->setCurrentIndex(1);
        ConditionRow *row = sheet->rows().front();
        row->targetPopup()->setCurrentIndex(row->targetPopup()->findData(20));
        row->conditionPopup()->setCurrentIndex(row->conditionPopup()->findData(20));
        row->searchField()->setText(u"1995"_s);
        sheet->addRow(1, SmartSearchCondition::conditionWith(11, 5, u"a"_s, false));
        sheet->matchPopup()->setCurrentIndex(1);
        sheet->automaticCheck()->setChecked(false);
        sheet->atLaunchCheck()->setChecked(true);
        confirm ? sheet->accept() : sheet->reject();

        const auto &p = static_cast<const SmartLibraryProperties &>(library->properties());
        if (!confirm) {
            QCOMPARE(p.makePropertyDictionary(), before);
            return;
        }
        QCOMPARE(p.targetDatabaseID(), std::optional<QString>(u"db"_s));
        QVERIFY(!p.matchesAllConditions());
        QCOMPARE(p.updateCondition(), 1);
        const std::vector<SmartSearchCondition> expected = {
            SmartSearchCondition::conditionWith(20, 20, u"1995"_s, false),
            SmartSearchCondition::conditionWith(11, 5, u"a"_s, false)};
        QCOMPARE(p.searchConditions() == expected, true);
    }

    void smartSheetKeepsTheLastCondition()
    {
        SmartLibraryProperties record;
        SmartLibrarySheet sheet(record, {});
        QCOMPARE(sheet.rows().size(), size_t(1));
        sheet.removeRow(sheet.rows().front());
        QCOMPARE(sheet.rows().size(), size_t(1));
        QVERIFY(!sheet.rows().front()->removeButton()->isEnabled());
        ConditionRow *added = sheet.addRow(5, SmartSearchCondition::newCondition());
        QCOMPARE(sheet.rows().back(), added);
        QVERIFY(added->removeButton()->isEnabled());
    }
};

QF_GUI_TEST_MAIN(PropertySheetTest)
#include "PropertySheetTest.moc"
