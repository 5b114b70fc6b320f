log("throws.js");
throw new Error("from the source");
