#pragma once
// One instance per window type, created on first use and kept for the run.
#include "classic/form.h"

#include <functional>
#include <memory>
#include <typeindex>

namespace Forms
{

// The windows another window shows, closes or names, reached without the
// other's header: the shell, which includes every window, defines each.
enum class Window { Main, New, Open, Bmi, Graph, About };

Form *find(std::type_index type);
Form &adopt(std::type_index type, std::unique_ptr<Form> form);

template <class T> T &get()
{
    if (Form *form = find(typeid(T)))
        return static_cast<T &>(*form);
    return static_cast<T &>(adopt(typeid(T), std::make_unique<T>()));
}

void define(Window window, std::type_index type, std::function<std::unique_ptr<Form>()> make);
template <class T> void define(Window window)
{
    define(window, typeid(T), [] { return std::make_unique<T>(); });
}

// The one instance of a defined window, created on first use as get<T>() does.
Form &get(Window window);

// Discards every instance without raising any window event.
void clear();

// While the application shuts down, no window is shown (or reopened).
bool shuttingDown();
void setShuttingDown(bool on);

} // namespace Forms
