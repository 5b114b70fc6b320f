log("closing.js");
  -->  
