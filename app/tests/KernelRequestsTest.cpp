// The kernel's questions to the user, answered and cancelled through their windows as a
// person would: the windows are found as the active modal window and driven with QTest. Each
// window is also written as a PNG into the test output folder.

#include "app/OptionDialogs.h"
#include "app/QtSessionHost.h"
#include "app/QueryDialog.h"
#include "app/TessaryDialogView.h"
#include "app/tests/ShellFixture.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/PlusNode.h"
#include "expr/TimesNode.h"
#include "plot/GraphicsNodes.h"
#include "plot/Plot3DComp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace {

NodePtr Str(const char* text) {
    return std::make_unique<TextNode>(text);
}
NodePtr Sym(const char* name) {
    return SymbolNode::FromName(name);
}
NodePtr List(std::vector<NodePtr> items) {
    NodePtr chain;
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        (*it)->SetNext(std::move(chain));
        chain = std::move(*it);
    }
    return std::make_unique<ListNode>(std::move(chain));
}
template <typename... Nodes>
NodePtr ListOf(Nodes... nodes) {
    std::vector<NodePtr> items;
    (items.push_back(std::move(nodes)), ...);
    return List(std::move(items));
}

std::string TextOf(const NodePtr& node) {
    if (!node) return "<none>";
    Str255 text;
    node->WriteText(text);
    return text.ToCString();
}

QString LabelText(QWidget* window, const char* name) {
    auto* label = window->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no label>");
}

class KernelRequests : public shelltest::ShellTest {
protected:
    // Runs `act` on the modal window once it is open; the window is checked to be the one
    // named `name` first, and written as a PNG when `picture` is given.
    void WhenOpen(const char* name, std::function<void(QWidget*)> act,
                  const char* picture = nullptr) {
        opened = false;
        shelltest::WhenModalOpens(frame, [=, this](QWidget* window) {
            opened = true;
            EXPECT_EQ(window->objectName(), QLatin1String(name));
            // The message box has the program's title, every other window the query's.
            const bool message = window->objectName() == QLatin1String("kernelMessage");
            EXPECT_EQ(window->windowTitle(), message ? "Tessary" : "Kernel Query");
            if (picture) window->grab().save(shelltest::OutputPath(QLatin1String(picture)));
            act(window);
        });
    }
    NodePtr Ask(int32_t number, NodePtr argument) {
        return host.AnswerKernelRequest(number, std::move(argument));
    }
    static void Click(QWidget* window, const char* button) {
        auto* found = window->findChild<QPushButton*>(QLatin1String(button));
        ASSERT_NE(found, nullptr) << button;
        QTest::mouseClick(found, Qt::LeftButton);
    }
    static void Ok(QWidget* window) { static_cast<QDialog*>(window)->accept(); }
    static void Cancel(QWidget* window) { static_cast<QDialog*>(window)->reject(); }

    QtSessionHost host{[this] { return frame; },
                       [this](const QString& text) { messages.push_back(text); }};
    bool opened = false;
};

NodePtr SolveFor() {
    return ListOf(Str("Solve for"), ListOf(Sym("x"), Sym("y"), Sym("z")));
}

TEST_F(KernelRequests, ChooseOneOptionAnswersTheChosenOptionOrNothing) {
    WhenOpen(
        "kernelQueryOption",
        [](QWidget* window) {
            EXPECT_EQ(LabelText(window, "prompt"), QStringLiteral("Solve for"));
            auto* combo = window->findChild<QComboBox*>(QStringLiteral("options"));
            ASSERT_NE(combo, nullptr);
            EXPECT_FALSE(combo->isEditable());
            ASSERT_EQ(combo->count(), 3);
            EXPECT_EQ(combo->currentText(), QStringLiteral("x"));
            combo->setCurrentIndex(1);
            Ok(window);
        },
        "kernel-query-option.png");
    EXPECT_EQ(TextOf(Ask(3, SolveFor())), "y");
    EXPECT_TRUE(opened);

    WhenOpen("kernelQueryOption", Cancel);
    EXPECT_EQ(Ask(3, SolveFor()), nullptr);

    // Without a valid choice OK answers nothing: no option chosen, no options at all, or an
    // argument that holds only the prompt (the window opens all the same).
    WhenOpen("kernelQueryOption", [](QWidget* window) {
        window->findChild<QComboBox*>(QStringLiteral("options"))->setCurrentIndex(-1);
        Ok(window);
    });
    EXPECT_EQ(Ask(3, SolveFor()), nullptr);
    EXPECT_TRUE(opened);
    for (NodePtr (*argument)() : {+[] { return ListOf(Str("Pick"), ListOf()); },
                                  +[] { return ListOf(Str("Pick")); }, +[] { return Sym("x"); }}) {
        WhenOpen("kernelQueryOption", [](QWidget* window) {
            EXPECT_EQ(window->findChild<QComboBox*>(QStringLiteral("options"))->count(), 0);
            Ok(window);
        });
        EXPECT_EQ(Ask(3, argument()), nullptr);
        EXPECT_TRUE(opened);
    }
}

NodePtr Terms() {
    return ListOf(Str("Choose the terms"), Str("Other terms"), Str("Chosen terms"),
                  ListOf(Sym("a"), Sym("b"), Sym("c")), ListOf(Sym("d")));
}

QStringList Entries(QWidget* window, const char* list) {
    QStringList out;
    auto* widget = window->findChild<QListWidget*>(QLatin1String(list));
    for (int i = 0; i < widget->count(); ++i)
        out << widget->item(i)->text();
    return out;
}

TEST_F(KernelRequests, ChooseItemsMovesItemsBothWaysAndAnswersTheChosenInOrder) {
    WhenOpen("kernelQueryItems", [](QWidget* window) {
        EXPECT_EQ(LabelText(window, "prompt"), QStringLiteral("Choose the terms"));
        EXPECT_EQ(LabelText(window, "availableLabel"), QStringLiteral("Other terms"));
        EXPECT_EQ(LabelText(window, "chosenLabel"), QStringLiteral("Chosen terms"));
        auto* left = window->findChild<QListWidget*>(QStringLiteral("available"));
        auto* right = window->findChild<QListWidget*>(QStringLiteral("chosen"));
        // Each list opens with its last entry selected.
        EXPECT_EQ(left->currentRow(), 2);
        EXPECT_EQ(right->currentRow(), 0);
        Click(window, "moveRight"); // c; the left list's first entry is selected next
        EXPECT_EQ(left->currentRow(), 0);
        Click(window, "moveRight"); // a; the new entry on the right is selected
        EXPECT_EQ(right->currentRow(), 2);
        Click(window, "moveLeft"); // a again, to the end of the left list
        EXPECT_EQ(Entries(window, "available"), (QStringList{"b", "a"}));
        EXPECT_EQ(Entries(window, "chosen"), (QStringList{"d", "c"}));
        // A double click moves too.
        const QPoint b = left->visualItemRect(left->item(0)).center();
        QTest::mouseClick(left->viewport(), Qt::LeftButton, {}, b);
        QTest::mouseDClick(left->viewport(), Qt::LeftButton, {}, b);
        EXPECT_EQ(Entries(window, "chosen"), (QStringList{"d", "c", "b"}));
        window->grab().save(shelltest::OutputPath(QStringLiteral("kernel-query-items.png")));
        Ok(window);
    });
    EXPECT_EQ(TextOf(Ask(5, Terms())), "{d,c,b}");
    EXPECT_TRUE(opened);

    WhenOpen("kernelQueryItems", [](QWidget* window) {
        Click(window, "moveRight");
        Cancel(window);
    });
    EXPECT_EQ(Ask(5, Terms()), nullptr);

    // "->" on an empty left list does nothing; too few parts give empty texts and lists.
    WhenOpen("kernelQueryItems", [](QWidget* window) {
        EXPECT_EQ(LabelText(window, "availableLabel"), QString());
        EXPECT_TRUE(Entries(window, "available").isEmpty());
        Click(window, "moveRight");
        Click(window, "moveLeft");
        EXPECT_TRUE(Entries(window, "chosen").isEmpty());
        Ok(window);
    });
    EXPECT_EQ(TextOf(Ask(5, ListOf(Str("Choose")))), "{ }");
    EXPECT_TRUE(opened);
    // Parts that are no lists leave their lists empty.
    WhenOpen("kernelQueryItems", [](QWidget* window) {
        EXPECT_TRUE(Entries(window, "available").isEmpty());
        EXPECT_EQ(Entries(window, "chosen"), (QStringList{"e"}));
        Ok(window);
    });
    EXPECT_EQ(TextOf(Ask(5, ListOf(Str("Choose"), Str("l"), Str("r"), Sym("a"), ListOf(Sym("e"))))),
              "{e}");
}

TEST_F(KernelRequests, MessageIsShownAndAnsweredIgnored) {
    WhenOpen(
        "kernelMessage",
        [](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QStringLiteral("The equation holds."));
            box->button(QMessageBox::Ok)->click();
        },
        "kernel-message.png");
    EXPECT_EQ(TextOf(Ask(6, Str("The equation holds."))), "$Ignored");
    EXPECT_TRUE(opened);
}

TEST_F(KernelRequests, QuestionsOffTheGuiThreadOrWithoutAWindowAreCancelled) {
    NodePtr answer = Sym("unset");
    std::thread worker([&] { answer = Ask(3, SolveFor()); });
    worker.join();
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (int32_t number : {0, 4, 7, 9})
        EXPECT_EQ(Ask(number, SolveFor()), nullptr) << number;
}

// The pane's line as characters ("?" for any box).
std::string PaneText(QWidget* window) {
    auto* dialog = static_cast<COSKQueryDialog*>(window);
    return shelltest::LineText(*dialog->View()->Page()->GetAt(1)->GetList(1));
}

// The texts of the nodes that carry the mover flag, down through list-like nodes.
void Movers(ExprNode* node, std::vector<std::string>& out) {
    if (node->IsMover()) out.push_back(TextOf(NodePtr(node->Clone())));
    if (auto* list = dynamic_cast<CompositeNode*>(node))
        for (ExprNode* child = list->FirstChild(); child; child = child->Next())
            Movers(child, out);
}

NodePtr Polynomial() {
    // x + 2x + 1
    return ListOf(Str("Select a term"), std::make_unique<PlusNode>([] {
                      NodePtr x = Sym("x");
                      NodePtr times = std::make_unique<TimesNode>([] {
                          NodePtr two = std::make_unique<MachineIntegerNode>(2);
                          two->SetNext(Sym("x"));
                          return two;
                      }());
                      times->SetNext(std::make_unique<MachineIntegerNode>(1));
                      x->SetNext(std::move(times));
                      return x;
                  }()));
}

TEST_F(KernelRequests, EditAnExpressionInTheQueryWindow) {
    WhenOpen(
        "kernelQuery",
        [](QWidget* window) {
            auto* dialog = static_cast<COSKQueryDialog*>(window);
            EXPECT_EQ(dialog->size(), QSize(400, 334));
            EXPECT_EQ(dialog->View()->ScrollOffset().x, 192);
            EXPECT_EQ(dialog->View()->ScrollOffset().y, 0);
            EXPECT_EQ(LabelText(window, "prompt"), QStringLiteral("Substitute"));
            EXPECT_EQ(PaneText(window), "x");
            // The pane takes the keys once the window is active (activation itself comes from
            // the window system, later on some platforms).
            EXPECT_EQ(dialog->focusWidget(), dialog->View());
            QTest::keyClick(dialog->View(), Qt::Key_End);
            const Rect before = dialog->View()->GetSelection().GetBounds();
            QTest::keyClicks(dialog->View(), "+1");
            // What is typed in the pane is laid out there: the caret moves on past it.
            EXPECT_GT(dialog->View()->GetSelection().GetBounds().left, before.right);
            window->grab().save(shelltest::OutputPath(QStringLiteral("kernel-query-edit.png")));
            // Return ends the query instead of making a paragraph.
            QTest::keyClick(dialog->View(), Qt::Key_Return);
            EXPECT_EQ(dialog->View()->Page()->GetCount(), 1);
        },
        nullptr);
    EXPECT_EQ(TextOf(Ask(1, ListOf(Str("Substitute"), Sym("x")))), "x + 1");
    EXPECT_EQ(opened, true);

    // Only a prompt: an empty paragraph to type into. A tab types nothing.
    WhenOpen("kernelQuery", [](QWidget* window) {
        auto* dialog = static_cast<COSKQueryDialog*>(window);
        EXPECT_EQ(PaneText(window), "");
        QTest::keyClicks(dialog->View(), "y");
        QTest::keyClick(dialog->View(), Qt::Key_Tab);
        QTest::keyClicks(dialog->View(), "*2");
        EXPECT_EQ(PaneText(window), "y*2");
        // Enter typed elsewhere in the window is OK too.
        QTest::keyClick(dialog->ButtonPanel()->CancelButton(), Qt::Key_Enter);
    });
    EXPECT_EQ(TextOf(Ask(1, ListOf(Str("Enter a value")))), "2 y");
    EXPECT_TRUE(opened);

    // The window's Edit and Element menus act on the pane.
    WhenOpen("kernelQuery", [](QWidget* window) {
        auto* menus = window->findChild<QMenuBar*>();
        ASSERT_NE(menus, nullptr);
        QStringList titles;
        QAction* fraction = nullptr;
        for (QAction* menu : menus->actions()) {
            titles << menu->text();
            for (QAction* item : menu->menu()->actions())
                if (item->text().startsWith(QStringLiteral("&Fraction"))) fraction = item;
        }
        EXPECT_EQ(titles, (QStringList{"&Edit", "E&lement"}));
        ASSERT_NE(fraction, nullptr);
        emit menus->actions().at(1)->menu()->aboutToShow();
        ASSERT_TRUE(fraction->isEnabled());
        fraction->trigger();
        EXPECT_EQ(PaneText(window), "?");
        window->close();
    });
    EXPECT_EQ(Ask(1, ListOf(Str("Enter a value"))), nullptr);
    EXPECT_TRUE(opened);

    // Cancel, and closing the window, answer nothing.
    WhenOpen("kernelQuery", [](QWidget* window) {
        QTest::mouseClick(static_cast<COSKQueryDialog*>(window)->ButtonPanel()->CancelButton(),
                          Qt::LeftButton);
    });
    EXPECT_EQ(Ask(1, ListOf(Str("Substitute"), Sym("x"))), nullptr);
    WhenOpen("kernelQuery", [](QWidget* window) { window->close(); });
    EXPECT_EQ(Ask(2, Polynomial()), nullptr);
    EXPECT_TRUE(opened);
    // With no parts at all the window still opens.
    WhenOpen("kernelQuery", [](QWidget* window) {
        EXPECT_EQ(LabelText(window, "prompt"), QString());
        window->close();
    });
    EXPECT_EQ(Ask(1, Sym("x")), nullptr);
    EXPECT_TRUE(opened);
}

TEST_F(KernelRequests, SelectAPartFlagsTheSelectedNode) {
    WhenOpen("kernelQuery", [](QWidget* window) {
        auto* dialog = static_cast<COSKQueryDialog*>(window);
        ASSERT_EQ(PaneText(window), "x + 2 x + 1");
        // The caret starts before x; four steps right, then three more with Shift select 2 x.
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(dialog->View(), Qt::Key_Right);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(dialog->View(), Qt::Key_Right, Qt::ShiftModifier);
        window->grab().save(shelltest::OutputPath(QStringLiteral("kernel-query-select.png")));
        QTest::mouseClick(dialog->ButtonPanel()->OkButton(), Qt::LeftButton);
    });
    NodePtr answer = Ask(2, Polynomial());
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(TextOf(answer), "x + 2 x + 1");
    std::vector<std::string> movers;
    Movers(answer.get(), movers);
    EXPECT_EQ(movers, std::vector<std::string>{"2 x"});

    // The mouse selects too: a drag across "2 x + 1" marks that run of the sum.
    WhenOpen("kernelQuery", [](QWidget* window) {
        CTessaryDialogView* pane = static_cast<COSKQueryDialog*>(window)->View();
        CompList* line = pane->Page()->GetAt(1)->GetList(1);
        DocRange run;
        run.Set(line, 5, 12);
        const Rect bounds = run.GetBounds();
        const Point scroll = pane->ScrollOffset();
        const int y = (bounds.top + bounds.bottom) / 2 - scroll.y;
        const QPoint from(bounds.left + 1 - scroll.x, y);
        const QPoint to(bounds.right - 1 - scroll.x, y);
        QTest::mousePress(pane->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(pane->viewport(), to);
        QTest::mouseRelease(pane->viewport(), Qt::LeftButton, {}, to);
        EXPECT_TRUE(pane->GetSelection().HasExtent());
        QTest::keyClick(pane, Qt::Key_Return);
    });
    answer = Ask(2, Polynomial());
    ASSERT_NE(answer, nullptr);
    movers.clear();
    Movers(answer.get(), movers);
    EXPECT_EQ(movers, std::vector<std::string>{"2 x + 1"});
}

TEST_F(KernelRequests, ACtrlDragTurnsA3DPlotInTheQueryPane) {
    auto request = std::make_unique<Plot3DNode>();
    request->AddFunction(Sym("x"));
    bool turned = false;
    WhenOpen("kernelQuery", [&turned](QWidget* window) {
        CTessaryDialogView* pane = static_cast<COSKQueryDialog*>(window)->View();
        Plot3DComp* plot = shelltest::FirstOfKind<Plot3DComp>(*pane->Page()->GetAt(1)->GetList(1));
        ASSERT_NE(plot, nullptr);
        const prism3d::Matrix before = plot->View();
        const Rect picture = plot->PictureRect();
        const QPoint centre = shelltest::InViewport(
            *pane, Point((picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2));
        QTest::mousePress(pane->viewport(), Qt::LeftButton, Qt::ControlModifier, centre);
        QTest::mouseMove(pane->viewport(), centre + QPoint(30, 0));
        QTest::mouseRelease(pane->viewport(), Qt::LeftButton, Qt::ControlModifier,
                            centre + QPoint(30, 0));
        turned = !(plot->View() == before);
        window->close();
    });
    Ask(1, ListOf(Str("Plot"), std::move(request)));
    EXPECT_TRUE(opened);
    EXPECT_TRUE(turned);
}

} // namespace
