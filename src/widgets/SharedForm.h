#pragma once
// One shared window per window class, as the original's forms: created and loaded on first use,
// gone for everybody as soon as it closes.

#include "widgets/MsgBox.h"

#include <memory>
#include <QGuiApplication>
#include <QWidget>

// Counts the module's loaded windows; when the last one goes, the kept database connections are
// closed.
void SharedFormLoaded();
void SharedFormGone();

// Keeps a window inside the available area of its screen (a panel or a large scale factor must
// not push its commands out of reach): shrunk to fit, never below its minimum size, and moved
// in where it would stick out.
void FitOnScreen(QWidget *window);

template <typename Form> class SharedForm
{
public:
    // The shared window, loaded on first use. An exception from loading reaches the caller and
    // leaves no window behind.
    static Form *instance()
    {
        if (!s_form) {
            InstallErrLogBox();
            std::unique_ptr<Form> form(new Form);
            form->Form_Load();
            s_form = form.release();
            SharedFormLoaded();
        }
        return s_form;
    }
    // The shared window, or nullptr when it is not loaded.
    static Form *loadedInstance() { return s_form; }
    // Loads the shared window if needed, shows it and brings it forward.
    static Form *ShowInFront()
    {
        Form *form = instance();
        FitOnScreen(form);
        form->show();
        // Off-screen rendering (screenshots, tests) has no stacking order to change.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
            form->raise();
            form->activateWindow();
        }
        return form;
    }
    // Closes the shared window if it is loaded; the window's own close handling may refuse.
    static void Unload()
    {
        if (s_form)
            s_form->close();
    }

protected:
    // Called by the window when it closes or is destroyed.
    static void forget(const Form *form)
    {
        if (s_form == form) {
            s_form = nullptr;
            SharedFormGone();
        }
    }

private:
    static inline Form *s_form = nullptr;
};
