// The names under which pages know the classes of the document's objects: window.Element, window.HTMLElement,
// window.HTMLDivElement and the rest, each a function whose prototype is the class's prototype, so that what a
// page adds to HTMLElement.prototype every element has (libraries extend elements so when the window has them).
#pragma once

// Installs the names' resolver in the script wrapper (at global initialisation).
void xfvKxwDomRegisterInterfaceNames();
