#include "app/launch_descriptor.hpp"
#include "platform.hpp"

int main(int argc, char** argv) {
    return orvo_ui::launch::run_or_exit(remote::launch_descriptor(), argc, argv);
}
