#include "Startup.h"

#include "Acerca_de.h"
#include "Principal.h"
#include "UClientes.h"
#include "UClientesMod.h"
#include "Uimprenta.h"
#include "data/Prompt.h"
#include "data/UModulo.h"
#include "declaration/windows/DeclarationPdfDialog.h"
#include "declaration/windows/UGenRect.h"
#include "declaration/windows/UPresentaciones.h"
#include "declaration/windows/URecVer.h"
#include "declaration/windows/UReporte.h"
#include "declaration/windows/UVer.h"
#include "declaration/windows/UVerDetalle.h"
#include "details/windows/UCDetalles.h"
#include "details/windows/UDetalleG.h"
#include "details/windows/UGMaquinas.h"
#include "details/windows/URecMaquinas.h"
#include "details/windows/Uanular.h"
#include "imports/windows/AyudaCarga.h"
#include "imports/windows/Carga.h"
#include "imports/windows/CargarContri.h"
#include "maintenance/windows/UReparar.h"
#include "widgets/ModalDialog.h"

#include <functional>
#include <type_traits>
#include <vector>

namespace {

struct Created {
    QString name;
    std::function<void()> destroy;
};

std::vector<Created>& created()
{
    static std::vector<Created> list;
    return list;
}

// Creates one global instance and remembers how to take it down again.
template <typename T, typename... Args>
void create(T*& instance, const char* name, Args&&... args)
{
    instance = new T(std::forward<Args>(args)...);
    created().push_back({QString::fromLatin1(name), [&instance] {
                             delete instance;
                             instance = nullptr;
                         }});
}

// Builds a window the first time its global instance is used. The dialogs belong to the main
// window, so they stay above it and centre on it.
template <auto& instance>
void build()
{
    using Form = std::remove_pointer_t<decltype(instance.built())>;
    Form* form = nullptr;
    if constexpr (std::is_base_of_v<QWidget, Form>)
        form = new Form(FPrincipal);
    else
        form = new Form;
    instance = form;
    created().push_back({form->objectName(), [] {
                             delete instance.built();
                             instance = nullptr;
                         }});
    if constexpr (std::is_same_v<Form, TFDetalle>)
        QObject::connect(form, &TFDetalle::generateRequested, form, [] { showModal(*FPresentaciones); });
}

template <auto& instance>
void enable(bool on)
{
    instance.setMaker(on ? &build<instance> : nullptr);
}

template <auto& instance>
QObject* instanceOf()
{
    return instance;
}

// The windows built on first use, in the program's order of windows.
struct Window {
    const char* name;
    void (*enable)(bool on);
    QObject* (*get)();
};

template <auto& instance>
constexpr Window window(const char* name)
{
    return {name, &enable<instance>, &instanceOf<instance>};
}

const Window Windows[] = {
    window<FImprenta>("FImprenta"),
    window<FClienteMod>("FClienteMod"),
    window<FDetalle>("FDetalle"),
    window<FClientes>("FClientes"),
    window<FCDetalles>("FCDetalles"),
    window<FPresentaciones>("FPresentaciones"),
    window<FVer>("FVer"),
    window<FVerDetalles>("FVerDetalles"),
    window<FAcerca>("FAcerca"),
    window<FGMaquina>("FGMaquina"),
    window<FAnular>("FAnular"),
    window<QReporte>("QReporte"),
    window<FReparacion>("FReparacion"),
    window<Frecver>("Frecver"),
    window<FGenRec>("FGenRec"),
    window<FAnulaMaquina>("FAnulaMaquina"),
    window<FCargarcont>("FCargarcont"),
    window<Cargar>("Cargar"),
    window<AyCarga>("AyCarga"),
    window<FDeclaracionPdf>("FDeclaracionPdf"),
};

}  // namespace

void createForms(store::AliasConfig* config, const QString& dataFolder)
{
    destroyForms();
    try {
        create(FPrincipal, "FPrincipal");
        // The windows' prompt is installed by the program, or by a test, after the module is made.
        static InstalledPrompt windowsPrompt;
        create(DModulo, "DModulo", config, windowsPrompt, dataFolder);
        for (const Window& w : Windows)
            w.enable(true);
    } catch (...) {
        destroyForms();
        throw;
    }
}

void destroyForms()
{
    // No window is built while the others are taken down.
    for (const Window& w : Windows)
        w.enable(false);
    std::vector<Created>& list = created();
    while (!list.empty()) {
        const Created last = list.back();
        list.pop_back();
        last.destroy();
    }
}

QStringList creationOrder()
{
    QStringList names;
    for (const Created& c : created())
        names << c.name;
    return names;
}

QObject* instance(const QString& name)
{
    if (name == QLatin1String("FPrincipal"))
        return FPrincipal;
    if (name == QLatin1String("DModulo"))
        return DModulo;
    for (const Window& w : Windows)
        if (name == QLatin1String(w.name))
            return w.get();
    return nullptr;
}
