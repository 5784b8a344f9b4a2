#include "Startup.h"

#include "Acerca_de.h"
#include "Principal.h"
#include "UClientes.h"
#include "UClientesMod.h"
#include "Uimprenta.h"
#include "data/UModulo.h"
#include "declaration/UGenRec.h"
#include "declaration/UPresentaciones.h"
#include "declaration/URecVer.h"
#include "declaration/UReporte.h"
#include "declaration/UVer.h"
#include "declaration/UVerDetalle.h"
#include "details/UCDetalles.h"
#include "details/UDetalleG.h"
#include "details/UGMaquinas.h"
#include "details/URecMaquinas.h"
#include "details/Uanular.h"
#include "import/AyudaCarga.h"
#include "import/Carga.h"
#include "import/CargarContri.h"
#include "maintenance/UReparar.h"
#include "widgets/ModalDialog.h"

#include <functional>
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

}  // namespace

void createForms(store::AliasConfig* config, const QString& dataFolder)
{
    destroyForms();
    try {
        create(FPrincipal, "FPrincipal");
        create(DModulo, "DModulo", config, dataFolder);
        // The dialogs belong to the main window, so they stay above it and centre on it.
        create(FImprenta, "FImprenta", FPrincipal);
        create(FClienteMod, "FClienteMod", FPrincipal);
        create(FDetalle, "FDetalle", FPrincipal);
        create(FClientes, "FClientes", FPrincipal);
        create(FCDetalles, "FCDetalles", FPrincipal);
        create(FPresentaciones, "FPresentaciones", FPrincipal);
        create(FVer, "FVer", FPrincipal);
        create(FVerDetalles, "FVerDetalles", FPrincipal);
        create(FAcerca, "FAcerca", FPrincipal);
        create(FGMaquina, "FGMaquina", FPrincipal);
        create(FAnular, "FAnular", FPrincipal);
        create(QReporte, "QReporte");
        create(FReparacion, "FReparacion", FPrincipal);
        create(Frecver, "Frecver", FPrincipal);
        create(FGenRec, "FGenRec", FPrincipal);
        create(FAnulaMaquina, "FAnulaMaquina", FPrincipal);
        create(FCargarcont, "FCargarcont", FPrincipal);
        create(Cargar, "Cargar", FPrincipal);
        create(AyCarga, "AyCarga", FPrincipal);
        QObject::connect(FDetalle, &TFDetalle::generateRequested, FPresentaciones, [] { showModal(*FPresentaciones); });
    } catch (...) {
        destroyForms();
        throw;
    }
}

void destroyForms()
{
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
