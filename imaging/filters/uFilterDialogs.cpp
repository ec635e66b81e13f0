#include "imaging/filters/uFilterDialogs.h"

namespace tesra {
namespace {

BCGDialogHandler& bcgHandler()
{
    static BCGDialogHandler handler;
    return handler;
}

ConvDialogHandler& convHandler()
{
    static ConvDialogHandler handler;
    return handler;
}

}  // namespace

void SetBCGDialogHandler(BCGDialogHandler handler) { bcgHandler() = std::move(handler); }
void SetConvDialogHandler(ConvDialogHandler handler) { convHandler() = std::move(handler); }

bool RunBCGDialog(QWidget*, const TPixelGraphic&, BCGParameters& parameters)
{
    if (bcgHandler())
        return bcgHandler()(parameters);
    return false;
}

bool RunConvDialog(QWidget*, ConvFilterKind kind, const TPixelGraphic*, ConvParameters& parameters)
{
    if (convHandler())
        return convHandler()(kind, parameters);
    return false;
}

}  // namespace tesra
