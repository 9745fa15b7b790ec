#include "classic/forms.h"

#include <map>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace Forms
{
namespace
{
struct Definition {
    std::type_index type;
    std::function<std::unique_ptr<Form>()> make;
};

struct Registry {
    std::map<Window, Definition> definitions;
    std::unordered_map<std::type_index, Form *> byType;
    std::vector<std::unique_ptr<Form>> instances; // creation order
    bool shuttingDown = false;
};

Registry &registry()
{
    static Registry r;
    return r;
}
} // namespace

Form *find(std::type_index type)
{
    auto it = registry().byType.find(type);
    return it == registry().byType.end() ? nullptr : it->second;
}

Form &adopt(std::type_index type, std::unique_ptr<Form> form)
{
    Form &ref = *form;
    registry().byType.emplace(type, form.get());
    registry().instances.push_back(std::move(form));
    return ref;
}

void define(Window window, std::type_index type, std::function<std::unique_ptr<Form>()> make)
{
    registry().definitions.insert_or_assign(window, Definition{type, std::move(make)});
}

Form &get(Window window)
{
    const auto definition = registry().definitions.find(window);
    if (definition == registry().definitions.end())
        throw std::logic_error("a window was asked for before the shell defined it");
    if (Form *form = find(definition->second.type))
        return *form;
    return adopt(definition->second.type, definition->second.make());
}

void clear()
{
    Registry &r = registry();
    const bool wasShuttingDown = r.shuttingDown;
    r.shuttingDown = true;
    // Children before the main window that holds their workspace.
    while (!r.instances.empty()) {
        r.instances.back()->Discard();
        r.byType.erase(typeid(*r.instances.back()));
        r.instances.pop_back();
    }
    r.shuttingDown = wasShuttingDown;
}

bool shuttingDown()
{
    return registry().shuttingDown;
}
void setShuttingDown(bool on)
{
    registry().shuttingDown = on;
}

} // namespace Forms
