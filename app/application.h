#pragma once

// Name, version, fonts and quitting rule of the running application; the
// executable and the tests set up their QApplication with this.
void InitApplication();
