// The help centre: its topic tree, pages found without regard to case, and
// a missing page that leaves the shown one in place.
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>

#include "qt_test_support.h"

using namespace talvane;
using namespace talvane::test;

namespace {

QTreeWidgetItem* Topic(QTreeWidget* tree, const QString& text) {
  const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.first();
}

}  // namespace

class HelpCentreTest : public QObject {
  Q_OBJECT
 private slots:
  void topicsPagesAndMissingPages() {
    ProgramUnderTest t;
    fs::remove_all(t.program / "Help");
    WriteFile(t.program / "help" / "WELCOME.htm", "<html><body><h1>Welcome page</h1></body></html>");
    WriteFile(t.program / "help" / "sysreq.HTM", "<html><body><h1>Requirements page</h1></body></html>");
    t.Start();
    t->shell.dispatch.Release(*t->shell.nav.HomeButton("learning_center"));
    auto* help = static_cast<ui::HelpScreen*>(t->windows.Screen(Form::frm_LC));
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->title->text(), QString("Welcome"));
    QVERIFY(help->browser->toPlainText().contains("Welcome page"));

    // The tree: 8 roots in order, 25 topics.
    QCOMPARE(help->tree->topLevelItemCount(), 8);
    QCOMPARE(help->tree->topLevelItem(0)->text(0), QString("Welcome"));
    QCOMPARE(help->tree->topLevelItem(7)->text(0), QString("Company Information"));
    int count = 0;
    for (QTreeWidgetItemIterator it(help->tree); *it; ++it) ++count;
    QCOMPARE(count, 25);
    QTreeWidgetItem* screen = Topic(help->tree, "Configuration Screen");
    QVERIFY(screen);
    QCOMPARE(screen->parent()->text(0), QString("Speech Configuration"));
    QCOMPARE(screen->parent()->parent()->text(0), QString("Using the Interface"));

    help->SelectTopic(Topic(help->tree, "System Requirements"));
    QCOMPARE(help->title->text(), QString("System Requirements"));
    QVERIFY(help->browser->toPlainText().contains("Requirements page"));
    help->SelectTopic(Topic(help->tree, "Credits"));  // no page: nothing changes
    QCOMPARE(help->title->text(), QString("System Requirements"));
    QVERIFY(help->browser->toPlainText().contains("Requirements page"));

    // Expanding and collapsing a topic changes its picture.
    QTreeWidgetItem* root = help->tree->topLevelItem(0);
    const qint64 closed = root->icon(0).cacheKey();
    help->tree->expandItem(root);
    const qint64 open = root->icon(0).cacheKey();
    QVERIFY(open != closed);
    help->tree->collapseItem(root);
    QVERIFY(root->icon(0).cacheKey() != open);

    // RETURN goes home.
    t->shell.dispatch.Release(t->shell.nav.ActionButton(2));
    QVERIFY(!help->isVisible());
    QCOMPARE(t->shell.nav.CurrentScreenName, std::string("frm_Home"));
  }

  void shippedPagesCoverEveryTopic() {
    ProgramUnderTest t;
    for (const HelpTopic& topic : HelpTopics())
      QVERIFY2(HelpPage(t.program, topic.key).has_value(), topic.key);
  }
};

QTEST_MAIN(HelpCentreTest)
#include "tst_help_centre.moc"
