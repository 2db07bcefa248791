#include "app/Program.h"

namespace tarvo {

void start(Program& program) {
    const platform::AutoreleasePool pool;
    program.app = platform::Application::shared();
    program.delegate = AppDelegate::create();
    program.app->setDelegate(program.delegate->object());
}

} // namespace tarvo
