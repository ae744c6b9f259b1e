// CStructEditor: the editor of structure definitions (one instance, StructEditor), started from the launcher in its
// program mode. This far the least the engine drives: Init shows its window "Struct Editor", Move and
// Render do nothing, so the frame shows the cleared sky. The editing itself comes with the editor
// work.
#pragma once
#include <memory>

#include "runtime/Numbers.h"

class Form;

class CStructEditor {
 public:
  CStructEditor();
  ~CStructEditor();
  // Shows the editor's window; called once by initEditor.
  void Init();
  // The editor's per-frame update (doGame in its program mode).
  void Move() {}
  // The editor's per-frame drawing inside the scene (doRender in its program mode).
  void Render() {}
  // The editor's window, null before Init.
  Form* form() const { return form_.get(); }

 private:
  std::unique_ptr<Form> form_;
};

extern std::shared_ptr<CStructEditor> StructEditor;
