<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:template match="/">
<html><head><title>Catalog</title></head>
<body><table id="cds"><xsl:for-each select="catalog/cd"><tr><td><xsl:value-of select="title"/></td><td><xsl:value-of select="artist"/></td></tr></xsl:for-each></table>
<script>var transformed = document.getElementById("cds").rows.length;</script>
</body></html>
</xsl:template>
</xsl:stylesheet>
